#pragma once

#include "AlgorithmKernel.h"

// Finds one common gain that brings a title's loudest sample to full scale (analyse
// mode), then applies it (apply mode, selected by a value of exactly 1.0). Analysing
// passes the block through unchanged. The louder channel decides the gain for both.
class LevelNormalizer : public AlgorithmKernel {
public:
    static constexpr float kApplyValue = 1.0f;
    // A peak below half a 16-bit step counts as digital silence and keeps the gain at 1:
    // converted silence carries the ±1e-7 offset, which must not be blown up to full
    // scale.
    static constexpr float kSilencePeak = 0.5f / 32768.0f;

    LevelNormalizer();

    void process(const ParameterBlock& params, const float* const* in, float* const* out,
                 int32_t count) override;

    float gain(int32_t channel) const { return gain_[channel]; }

private:
    static constexpr int32_t kChannels = 2;
    float max_[kChannels];
    float min_[kChannels];
    float gain_[kChannels];
};
