#pragma once

#include "CrackleSettings.h"

// Crackle shows as a sudden jump in the second difference of the prediction error. The
// detector follows the size of that second difference with a slow envelope and reports
// each new value as a multiple of it.
class CrackleDetector {
public:
    // Takes the next prediction error; returns |second difference| / envelope.
    float ratio(float error) {
        using S = CrackleSettings;
        const float d = error - previousError_;
        const float dd = d - previousDifference_;
        previousError_ = error;
        previousDifference_ = d;
        const float size = dd < 0.0f ? -dd : dd;
        envelope_ = S::kEnvelopeCoefficient * envelope_ + (1.0f - S::kEnvelopeCoefficient) * size;
        if (envelope_ < S::kEnvelopeFloor) {
            envelope_ = S::kEnvelopeFloor;
        }
        return size / envelope_;
    }

    float envelope() const { return envelope_; }

private:
    float previousError_ = 0.0f;
    float previousDifference_ = 0.0f;
    float envelope_ = CrackleSettings::kEnvelopeStart;
};
