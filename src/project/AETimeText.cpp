#include "AETimeText.h"

#include <cstdio>

namespace AETimeText {

std::string minutesSeconds(int64_t frames) {
    if (frames < 0) {
        return "-" + minutesSeconds(-frames);
    }
    const long long minutes = frames / (60 * kFramesPerSecond);
    const long long seconds = (frames / kFramesPerSecond) % 60;
    char text[32];
    std::snprintf(text, sizeof text, "%02lld:%02lld", minutes, seconds);
    return text;
}

} // namespace AETimeText
