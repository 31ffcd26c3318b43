#include "AudioOpenResult.h"

const char* describe(AudioOpenResult result) {
    switch (result) {
    case AudioOpenResult::kOk:
        return "ok";
    case AudioOpenResult::kMissing:
        return "missing";
    case AudioOpenResult::kNotRegular:
        return "not a regular file";
    case AudioOpenResult::kNoPermission:
        return "no permission to read it";
    case AudioOpenResult::kUnreadable:
        return "cannot be read";
    case AudioOpenResult::kNotAudio:
        return "not an audio file";
    case AudioOpenResult::kDamaged:
        return "damaged header";
    case AudioOpenResult::kTruncated:
        return "cut short before its audio";
    case AudioOpenResult::kUnsupported:
        return "unsupported format";
    }
    return "unknown";
}

int32_t reasonString(AudioOpenResult result) {
    switch (result) {
    case AudioOpenResult::kOk:
        return 0;
    case AudioOpenResult::kMissing:
        return 3390;
    case AudioOpenResult::kNotRegular:
        return 3288;
    case AudioOpenResult::kNoPermission:
        return 3391;
    case AudioOpenResult::kUnreadable:
        return 3285;
    case AudioOpenResult::kNotAudio:
        return 3286;
    case AudioOpenResult::kDamaged:
        return 3392;
    case AudioOpenResult::kTruncated:
        return 3393;
    case AudioOpenResult::kUnsupported:
        return 3287;
    }
    return 3285;
}
