#include "AudioOpenResult.h"

const char* describe(AudioOpenResult result) {
    switch (result) {
    case AudioOpenResult::kOk:
        return "ok";
    case AudioOpenResult::kMissing:
        return "missing";
    case AudioOpenResult::kNotRegular:
        return "not a regular file";
    case AudioOpenResult::kUnreadable:
        return "cannot be read";
    case AudioOpenResult::kNotAudio:
        return "not an audio file";
    case AudioOpenResult::kDamaged:
        return "damaged header";
    case AudioOpenResult::kUnsupported:
        return "unsupported format";
    }
    return "unknown";
}
