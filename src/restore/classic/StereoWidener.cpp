#include "StereoWidener.h"

#include <algorithm>

void StereoWidener::process(const ParameterBlock& params, const float* const* in, float* const* out,
                            int32_t count) {
    if (params.channels < 2) {
        if (out[0] != in[0]) {
            std::copy_n(in[0], count, out[0]);
        }
        return;
    }
    const double side = 2.0 * params.value;
    const float* inL = in[0];
    const float* inR = in[1];
    float* outL = out[0];
    float* outR = out[1];
    for (int32_t i = 0; i < count; ++i) {
        const double l = inL[i];
        const double r = inR[i];
        const double m = l + r;
        const double s = (l - r) * side;
        outL[i] = static_cast<float>((m + s) * 0.5);
        outR[i] = static_cast<float>((m - s) * 0.5);
    }
}
