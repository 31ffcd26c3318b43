#pragma once

#include <cstdint>
#include <string>

// Time texts of frame counts at 44 100 frames per second.
namespace AETimeText {

constexpr int64_t kFramesPerSecond = 44100;

// "mm:ss" with two-digit lower fields; minutes above 99 as they are ("123:05"); a negative
// count as "-" and the text of its size.
std::string minutesSeconds(int64_t frames);

} // namespace AETimeText
