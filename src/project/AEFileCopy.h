#pragma once

#include "AEBackgroundJob.h"

#include <cstdint>
#include <memory>
#include <string>

// Copies a whole file byte for byte in chunks of 32 767 bytes, with the application's
// progress display, busy flag and cancel flag: the WAVE export of a title.
//
// A source shorter than one chunk is not copied at all (a title file is always longer).
// Otherwise the application is marked busy, its cancel flag cleared and message 24 sent;
// at the end the progress display closes, busy is cleared and message 25 sent. The copy is
// written beside the destination and moved into place only when complete: a cancelled or
// failed copy leaves no file behind, and a file the destination replaces stays as it was
// until then. A full disk shows string 3008.
namespace AEFileCopy {

constexpr int64_t kChunkBytes = 32767;

enum Result : int32_t {
    kCopied = 0,
    kTooShort = 1,   // shorter than one chunk: nothing happened
    kOpenFailed = 2, // the source could not be read or the destination not created
    kCancelled = 3,
    kDiskFull = 4,   // a write failed
    kReadFailed = 5, // the source ended before its size
};

// Copies on the calling thread.
Result copyFile(const std::string& source, const std::string& destination);
// Copies on a thread of its own; the job's result is a Result.
std::unique_ptr<AEBackgroundJob> copyFileInBackground(const std::string& source,
                                                      const std::string& destination);

} // namespace AEFileCopy
