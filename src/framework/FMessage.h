#pragma once

#include "FShared.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// A named message with integer attributes and one object attribute. An attribute that was
// never set reads as 0; the object attribute holds a reference that the message releases
// when it is destroyed.
class FMessage {
public:
    explicit FMessage(std::string name = {}) : name_(std::move(name)) {}

    const std::string& name() const { return name_; }
    bool is(const char* name) const { return name_ == name; }

    void setInt(const std::string& attribute, int32_t value);
    int32_t getInt(const std::string& attribute) const;
    bool hasInt(const std::string& attribute) const;

    void setObject(FRef<FShared> object) { object_ = std::move(object); }
    FShared* object() const { return object_.get(); }
    FRef<FShared> takeObject() { return std::move(object_); }

private:
    std::string name_;
    std::vector<std::pair<std::string, int32_t>> ints_;
    FRef<FShared> object_;
};

// Something that messages are delivered to. The deferred queue delivers only to
// receivers that still exist; a receiver destroyed with messages pending never sees them.
class FMessageReceiver {
public:
    FMessageReceiver();
    virtual ~FMessageReceiver();
    FMessageReceiver(const FMessageReceiver&) = delete;
    FMessageReceiver& operator=(const FMessageReceiver&) = delete;

    // Handles the message; true when it was handled.
    virtual bool notify(FMessage& message) = 0;

    // For the queue: whether `receiver` is alive. Called on the main thread only.
    static bool isAlive(const FMessageReceiver* receiver);
};
