#include "LevelNormalizer.h"

#include "NspLibrary.h"

#include <algorithm>
#include <cmath>

LevelNormalizer::LevelNormalizer() {
    std::fill_n(max_, kChannels, -1e12f);
    std::fill_n(min_, kChannels, 1e12f);
    std::fill_n(gain_, kChannels, 1.0f);
}

void LevelNormalizer::process(const ParameterBlock& params, const float* const* in,
                              float* const* out, int32_t count) {
    const int32_t channels = std::clamp(params.channels, 1, kChannels);
    if (params.value == kApplyValue) {
        for (int32_t c = 0; c < channels; ++c) {
            if (out[c] != in[c]) {
                std::copy_n(in[c], count, out[c]);
            }
            nspsbMpy1(gain_[c], out[c], count);
        }
        return;
    }
    float common = 1.0f;
    for (int32_t c = 0; c < channels; ++c) {
        if (count > 0) {
            max_[c] = std::max(max_[c], nspsMax(in[c], count));
            min_[c] = std::min(min_[c], nspsMin(in[c], count));
        }
        // Nothing seen yet leaves the starting extremes crossed: no gain either.
        const bool seen = max_[c] >= min_[c];
        const float peak = std::max(std::fabs(min_[c]), max_[c]);
        gain_[c] = seen && peak > kSilencePeak ? 1.0f / peak : 1.0f;
        common = c == 0 ? gain_[c] : std::min(common, gain_[c]);
    }
    for (int32_t c = 0; c < channels; ++c) {
        gain_[c] = common;
        if (out[c] != in[c]) {
            std::copy_n(in[c], count, out[c]);
        }
    }
}
