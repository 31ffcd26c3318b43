#pragma once

// Why an audio file did or did not open, so the user reads the reason.
enum class AudioOpenResult {
    kOk,
    kMissing,     // no file at the path
    kNotRegular,  // a folder, FIFO or device: never opened
    kUnreadable,  // a regular file that cannot be opened (permissions)
    kNotAudio,    // no header the program knows
    kDamaged,     // a known container whose header is broken
    kUnsupported, // a readable header of a coding the program cannot read
};

// A short English text: "missing", "not a regular file", ...
const char* describe(AudioOpenResult result);
