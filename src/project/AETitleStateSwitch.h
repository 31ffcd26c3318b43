#pragma once

#include <cstdint>

class AETitle;

// Swaps what a title plays between its recording and its processed copy (the title
// list's right click). An unprocessed title then plays its own recording as if it were
// processed; a processed title takes its processed file as its new recording, with
// 20 ms fades at both ends.
namespace AETitleStateSwitch {

// Frames of the fades a processed file gets when it becomes the recording.
constexpr int32_t kFadeFrames = 882;
// A processed file must be longer than this to become the recording.
constexpr int32_t kMinimumFrames = 1000;

// False when nothing changed: the processed file cannot be read, is too short or is not
// a ".wav" file, so the title keeps the recording it had.
bool run(AETitle& title);

} // namespace AETitleStateSwitch
