#pragma once

#include "FMessage.h"

#include <atomic>

// The framework's application: a main-thread message loop (the QCoreApplication's event
// loop, which the program creates first) with a start hook and a quit request.
class UApplication : public FMessageReceiver {
public:
    UApplication() = default;
    ~UApplication() override = default;

    // Runs start() once, before the first message is dispatched, then the message loop
    // until quit() is called. Returns the loop's exit code, or −1 without an event loop.
    int run();

    // Leaves the message loop (at once when called before the loop runs).
    void quit();
    bool quitCalled() const { return quitCalled_.load(); }

    bool notify(FMessage&) override { return false; }

protected:
    virtual void start() {}

private:
    std::atomic<bool> quitCalled_{false};
};
