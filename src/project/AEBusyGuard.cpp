#include "AEBusyGuard.h"

#include "ProjectHost.h"

#include <cstdint>
#include <mutex>
#include <utility>

namespace {

std::mutex gHoldersLock;
int32_t gHolders = 0;

} // namespace

AEBusyGuard::AEBusyGuard() {
    std::lock_guard lock(gHoldersLock);
    ++gHolders;
    // Set every time, not only by the first guard: busy may have been cleared directly.
    ProjectHost::setBusy(true);
}

AEBusyGuard::~AEBusyGuard() {
    release();
}

AEBusyGuard::AEBusyGuard(AEBusyGuard&& other) noexcept : held_(std::exchange(other.held_, false)) {}

AEBusyGuard& AEBusyGuard::operator=(AEBusyGuard&& other) noexcept {
    if (this != &other) {
        release();
        held_ = std::exchange(other.held_, false);
    }
    return *this;
}

void AEBusyGuard::release() {
    if (!std::exchange(held_, false)) {
        return;
    }
    std::lock_guard lock(gHoldersLock);
    if (--gHolders == 0) {
        ProjectHost::setBusy(false);
    }
}
