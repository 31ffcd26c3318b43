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

std::string hoursMinutesSecondsOfSeconds(int64_t seconds) {
    if (seconds < 0) {
        return "-" + hoursMinutesSecondsOfSeconds(-seconds);
    }
    char text[48];
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", static_cast<long long>(seconds / 3600),
                  static_cast<long long>((seconds / 60) % 60),
                  static_cast<long long>(seconds % 60));
    return text;
}

std::string hoursMinutesSeconds(int64_t frames) {
    // Truncating the frames to whole seconds first gives the same fields as dividing each
    // field's unit into the frames.
    return hoursMinutesSecondsOfSeconds(frames / kFramesPerSecond);
}

std::string hoursMinutesSecondsOfBlocks(int64_t blocks) {
    return hoursMinutesSecondsOfSeconds(blocks * kFramesPerBlock / kFramesPerSecond);
}

} // namespace AETimeText
