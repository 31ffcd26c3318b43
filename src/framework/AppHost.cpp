#include "AppHost.h"

#include <atomic>

namespace {
std::atomic<AppHost*> currentHost{nullptr};
}

AppHost* AppHost::current() {
    return currentHost.load(std::memory_order_acquire);
}

void AppHost::setCurrent(AppHost* host) {
    currentHost.store(host, std::memory_order_release);
}
