#pragma once

#include <cstdint>

// How a processing or normalizing run ended. Every outcome but kDone leaves the title as
// it was and no new file behind.
enum class AERunResult : int32_t {
    kDone = 0,
    kCancelled,
    kNothingToDo, // the title is processed already and none of its stages is switched on
    kNoLibrary,   // the restoration stages cannot be made
    kCannotRead,  // the source cannot be opened or read to its end
    kWrongRate,   // the source is not at 44 100 Hz
    kNoRoom,      // the result would not fit on the disk
    kCannotWrite, // the result cannot be written or moved into place
    kNoSuchTitle,
    kEmptyTitle,   // the title's points leave no audio to process
    kMissingAudio, // the title's audio file is not there (a drive away, a file moved)
};

// One line for the user (English; gleam-cli prints it).
const char* describe(AERunResult result);
