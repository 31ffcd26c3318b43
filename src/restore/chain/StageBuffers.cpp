#include "StageBuffers.h"

#include "FrameConversion.h"
#include "ProcessorSwitches.h"

StageBuffers::StageBuffers() {
    for (int32_t c = 0; c < 2; ++c) {
        a_[c].assign(kMaxFrames, 0.0f);
        b_[c].assign(kMaxFrames, 0.0f);
    }
}

void StageBuffers::takeBlock(const int16_t* frames, int32_t count,
                             const ProcessorSwitches& switches) {
    if (converted_) {
        return;
    }
    if (switches.monoButton()) {
        FrameConversion::toFloatMono(frames, count, switches.monoUseLeft(), b(0), b(1));
    } else {
        FrameConversion::toFloat(frames, count, b(0), b(1));
    }
    converted_ = true;
}

void StageBuffers::giveBlock(int16_t* frames, int32_t count, bool mono) const {
    if (mono) {
        FrameConversion::toFramesMono(b_[0].data(), count, frames);
    } else {
        FrameConversion::toFrames(b_[0].data(), b_[1].data(), count, frames);
    }
}
