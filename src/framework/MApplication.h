#pragma once

#include "UApplication.h"

// The framework's message-handling application: the base handler that every message
// reaches last. It posts messages addressed to the application itself. Threads: post()
// from any thread; notify() on the main thread, where the deferred queue delivers.
class MApplication : public UApplication {
public:
    MApplication() = default;

    bool notify(FMessage& message) override;

    // Posts `message` to this application through the deferred queue.
    bool post(FMessage message);

    // How many messages have reached this base handler (a diagnostic count).
    long long handledCount() const { return handled_.load(); }

private:
    std::atomic<long long> handled_{0};
};
