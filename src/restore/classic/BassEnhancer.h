#pragma once

#include "AlgorithmKernel.h"

// A peaking (bell) section centred on 60 Hz per channel: exactly 24 × value dB at 60 Hz,
// 0 dB at DC and at high frequencies. The section is designed again on every call from
// the current value; the filter memories carry over.
class BassEnhancer : public AlgorithmKernel {
public:
    static constexpr double kCentreHz = 60.0;
    static constexpr double kShape = 4.0;
    static constexpr double kMaxGainDb = 24.0;
    // Gains this close to 0 dB give the identity section.
    static constexpr double kIdentityGainDb = 0.8;

    // H(z) = (b0 + b1 z^-1 + b2 z^-2) / (1 + a1 z^-1 + a2 z^-2)
    struct Coefficients {
        double b0 = 1.0, b1 = 0.0, b2 = 0.0, a1 = 0.0, a2 = 0.0;
    };
    static Coefficients design(double gainDb);

    void process(const ParameterBlock& params, const float* const* in, float* const* out,
                 int32_t count) override;

private:
    struct Memory {
        double x1 = 0.0, x2 = 0.0, y1 = 0.0, y2 = 0.0;
    };
    Memory memory_[2];
    double designedGain_ = 0.0;
    Coefficients coefficients_;
};
