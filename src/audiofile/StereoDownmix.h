#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Folds interleaved float frames of any channel count into stereo. Mono goes to both
// sides; stereo passes unchanged; six channels are taken as 5.1 (L R C LFE Ls Rs) and
// folded with the centre and the surrounds at -3 dB, the LFE left out; other counts put
// channel 0 left, channel 1 right and every further channel at half weight on both sides.
// Each side is scaled so its weights sum to 1: a full-scale signal on all channels stays
// within full scale. Weights are made in the constructor; mix() allocates nothing.
class StereoDownmix {
public:
    explicit StereoDownmix(int32_t channels);

    int32_t channels() const { return channels_; }
    // `output` holds 2 × frames floats; it may not overlap `input`, except for stereo.
    void mix(const float* input, float* output, int64_t frames) const;

    float leftWeight(int32_t channel) const { return left_[static_cast<size_t>(channel)]; }
    float rightWeight(int32_t channel) const { return right_[static_cast<size_t>(channel)]; }

private:
    int32_t channels_;
    std::vector<float> left_;
    std::vector<float> right_;
};
