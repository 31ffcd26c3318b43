#pragma once

#include <cstdint>
#include <string>

// Time texts of frame counts at 44 100 frames per second, in whole seconds (integer
// arithmetic, truncated).
namespace AETimeText {

constexpr int64_t kFramesPerSecond = 44100;
// A peak block covers 256 frames.
constexpr int64_t kFramesPerBlock = 256;

// "mm:ss" with two-digit lower fields; minutes above 99 as they are ("123:05"); a negative
// count as "-" and the text of its size.
std::string minutesSeconds(int64_t frames);
// "h:mm:ss"; hours are never padded ("1:00:00", "0:03:05").
std::string hoursMinutesSeconds(int64_t frames);
// The same of a number of seconds.
std::string hoursMinutesSecondsOfSeconds(int64_t seconds);
// The same of a number of 256-frame peak blocks.
std::string hoursMinutesSecondsOfBlocks(int64_t blocks);

} // namespace AETimeText
