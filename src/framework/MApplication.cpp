#include "MApplication.h"

#include "FClassRegistry.h"
#include "FMessageQueue.h"

namespace {
const FRegisterClass registerUApplication("UApplication", "");
const FRegisterClass registerMApplication("MApplication", "UApplication");
} // namespace

bool MApplication::notify(FMessage& message) {
    (void)message;
    handled_.fetch_add(1);
    return UApplication::notify(message);
}

bool MApplication::post(FMessage message) {
    return FMessageQueue::post(this, std::move(message));
}
