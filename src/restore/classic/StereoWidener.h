#pragma once

#include "AlgorithmKernel.h"

// Mid/side width: M = (L + R)/√2, S = (L − R)/√2 × w, L' = (M + S)/√2, R' = (M − S)/√2,
// with the side gain w = 2 × value (the chain passes 0.5 + 0.5 p, so w runs 1 .. 2).
// Worked out with the exact 1/√2 this is L' = ((L + R) + w (L − R)) / 2, computed in
// double: at w = 1, and wherever L = R, the output is the input bit for bit. In mono the
// signal passes unchanged.
class StereoWidener : public AlgorithmKernel {
public:
    void process(const ParameterBlock& params, const float* const* in, float* const* out,
                 int32_t count) override;
};
