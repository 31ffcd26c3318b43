#include "AERunResult.h"

const char* describe(AERunResult result) {
    switch (result) {
    case AERunResult::kDone:
        return "done";
    case AERunResult::kCancelled:
        return "cancelled";
    case AERunResult::kNothingToDo:
        return "already processed, and no restoration is switched on";
    case AERunResult::kNoLibrary:
        return "the restoration stages cannot be started";
    case AERunResult::kCannotRead:
        return "the source cannot be read";
    case AERunResult::kWrongRate:
        return "the source is not at 44100 Hz";
    case AERunResult::kNoRoom:
        return "not enough disk space";
    case AERunResult::kCannotWrite:
        return "the result cannot be written";
    case AERunResult::kNoSuchTitle:
        return "no such title";
    case AERunResult::kEmptyTitle:
        return "the title holds no audio";
    case AERunResult::kMissingAudio:
        return "the title's audio file is missing";
    }
    return "failed";
}
