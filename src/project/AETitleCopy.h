#pragma once

#include <cstdint>
#include <functional>
#include <string>

// Writes a new 44 100 Hz 16-bit stereo title file at `target` from a source that delivers
// interleaved stereo frames: `read(samples, frames)` fills up to `frames` frames and
// returns how many (fewer only at the end), or -1 when the source cannot be read.
// `frames` is the length the copy must reach.
//
// The steps of every import copy: refused when the copy would not fit with a margin
// (string 3008); written under a temporary name in blocks of kStepFrames, with the shared
// progress display (frames / kStepFrames steps), a sign of life to the window every tenth
// step and the user's cancel request checked before each block; moved into place only
// when complete. Any failure leaves no file behind and returns false.
namespace AETitleCopy {

constexpr int32_t kStepFrames = 16384;

using Read = std::function<int32_t(int16_t* samples, int32_t frames)>;

bool write(const Read& read, int32_t frames, const std::string& target);

// `directory` with a trailing "/", followed by `source`'s file name and ".stereo.wav".
std::string targetPath(const std::string& source, std::string directory);

} // namespace AETitleCopy
