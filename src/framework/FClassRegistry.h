#pragma once

#include <functional>
#include <string>
#include <vector>

class FShared;

// The process-wide class registry: every framework-based class is known by its name and
// its parent's name ("AudioFile" with parent "AudioStream"), and may offer a factory that
// makes an empty object. Registration happens during static initialisation through
// FRegisterClass; lookups are thread-safe.
class FClassRegistry {
public:
    using Factory = std::function<FShared*()>;

    static FClassRegistry& instance();

    void add(const std::string& name, const std::string& parent, Factory factory = {});
    bool contains(const std::string& name) const;
    // The parent's name, or "" for an unknown class or a root.
    std::string parentOf(const std::string& name) const;
    // True when `name` is `ancestor` or derives from it through the registered parents.
    bool isKindOf(const std::string& name, const std::string& ancestor) const;
    // The chain from `name` up to its root, `name` first.
    std::vector<std::string> lineage(const std::string& name) const;
    // A new object of the class with one reference, or null without a factory.
    FShared* create(const std::string& name) const;

private:
    FClassRegistry();
    struct Impl;
    Impl* impl_;
};

// Registers a class at static-initialisation time: one object of this type per class,
// in the class's source file.
struct FRegisterClass {
    FRegisterClass(const char* name, const char* parent, FClassRegistry::Factory factory = {}) {
        FClassRegistry::instance().add(name, parent, std::move(factory));
    }
};
