#pragma once

#include <cstdint>

// Why an audio file did or did not open, so the user reads the reason.
enum class AudioOpenResult {
    kOk,
    kMissing,      // no file at the path
    kNotRegular,   // a folder, FIFO or device: never opened
    kNoPermission, // a regular file the user may not read
    kUnreadable,   // a regular file that cannot be opened for another reason (an I/O error)
    kNotAudio,     // no header the program knows
    kDamaged,      // a known container whose header is broken
    kTruncated,    // a known container that ends before its audio begins
    kUnsupported,  // a readable header of a coding the program cannot read
};

// A short English text for logs: "missing", "not a regular file", ...
const char* describe(AudioOpenResult result);
// The string (in the string table, in every language) that tells the user the reason,
// e.g. "not found"; 0 for kOk.
int32_t reasonString(AudioOpenResult result);
