#include "AECDText.h"

#include "AppHost.h"

namespace AECDText {

std::string text(int32_t id) {
    if (AppHost* host = AppHost::current()) {
        return host->loadString(host->stringId(id, 0));
    }
    switch (id) {
    case kTitle:
        return "Title";
    case kDiskFull:
        return "Not enough diskspace to complete this operation.";
    case kGrabError:
        return "Error while grabbing from CD!";
    default:
        return "error";
    }
}

} // namespace AECDText
