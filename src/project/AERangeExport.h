#pragma once

#include "AEBackgroundJob.h"
#include "AEFileCopy.h"
#include "AETitleRange.h"

#include <memory>
#include <string>

// The WAVE export of a title that plays part of its file (a title made by a split, or any
// trimmed title): its range, trimmed and faded as playback applies them, as a 44 100 Hz
// 16-bit stereo WAVE file. It behaves as the copy of a whole file does (AEFileCopy): the
// application is marked busy (messages 24 and 25) and shows progress, the user can
// cancel, the file is written beside the destination and moved into place only once
// complete, so a failure or cancel leaves no file behind, and a full disk shows string
// 3008. Results are AEFileCopy's: kTooShort (an empty range: nothing happened, the
// application was not marked busy), kOpenFailed, kCancelled, kDiskFull, kReadFailed.
namespace AERangeExport {

// Frames read and written per step.
constexpr int32_t kStepFrames = 16384;

// Writes on the calling thread.
AEFileCopy::Result writeWave(const AETitleRange& range, const std::string& path);
// Writes on a thread of its own; the job's result is an AEFileCopy::Result.
std::unique_ptr<AEBackgroundJob> writeWaveInBackground(const AETitleRange& range,
                                                       const std::string& path);

} // namespace AERangeExport
