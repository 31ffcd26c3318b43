#include "AERunSource.h"

#include "AEAudiofile.h"

namespace {
constexpr float kTitleRate = 44100.0f;
}

AERunResult openRunSource(AEAudiofile& source) {
    if (!source.openForRead()) {
        return AERunResult::kCannotRead;
    }
    if (source.audioFile().sampleRate() != kTitleRate) {
        source.close();
        return AERunResult::kWrongRate;
    }
    return AERunResult::kDone;
}
