#pragma once

#include "AudioProcessor.h"
#include "ProcessorSwitches.h"

#include <memory>

// The trim and fades of the title being played (chain slot 7, on the 16-bit frames):
// silence before a and after d, a linear fade-in from a to b and fade-out from c to d,
// the signal unchanged between. Inactive while any position is −1; the running position
// then stays where it is.
class FadeEnvelope : public AudioProcessor {
public:
    static constexpr int32_t kUnset = -1;

    explicit FadeEnvelope(std::shared_ptr<const ProcessorSwitches> switches);

    void process(int16_t* frames, int32_t count) override;
    void setFades(int32_t a, int32_t b, int32_t c, int32_t d) override;
    void setPosition(int32_t frame) override { position_ = frame; }

    int32_t position() const { return position_; }
    bool active() const;

private:
    std::shared_ptr<const ProcessorSwitches> switches_;
    int32_t fadeInStart_ = kUnset;
    int32_t fadeInEnd_ = kUnset;
    int32_t fadeOutStart_ = kUnset;
    int32_t fadeOutEnd_ = kUnset;
    int32_t position_ = 0;
};
