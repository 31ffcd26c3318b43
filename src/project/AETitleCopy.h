#pragma once

#include <cstdint>
#include <functional>
#include <string>

class AEProject;

// Writes a new 44 100 Hz 16-bit stereo title file at `target` from a source that delivers
// interleaved stereo frames: `read(samples, frames)` fills up to `frames` frames and
// returns how many (fewer only at the end), or -1 when the source cannot be read.
// `frames` is the length the copy must reach. The copy gets the first name of `target`'s
// series that is free (AEFileClaim: no file, peak file or title of `project` has it), so
// an earlier copy of another file of the same name stays as it is; `target` becomes the
// name written.
//
// The steps of every import copy: refused when the copy would not fit with a margin
// (string 3008); written under a temporary name in blocks of kStepFrames, with the shared
// progress display (frames / kStepFrames steps), a sign of life to the window every tenth
// step and the user's cancel request checked before each block; moved into place only
// when complete. Any failure leaves no file behind and returns false.
namespace AETitleCopy {

constexpr int32_t kStepFrames = 16384;

using Read = std::function<int32_t(int16_t* samples, int32_t frames)>;

bool write(const Read& read, int32_t frames, std::string& target, const AEProject* project);

// `directory` with a trailing "/", followed by `source`'s file name and ".stereo.wav".
std::string targetPath(const std::string& source, std::string directory);

} // namespace AETitleCopy
