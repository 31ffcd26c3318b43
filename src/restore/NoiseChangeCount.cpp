#include "NoiseChangeCount.h"

#include <cmath>

namespace {

constexpr float kAudibleChange = 0.5f / 32768.0f;
constexpr double kLoweredRatio = 0.7943282347; // 10^(−1/10): 1 dB

} // namespace

void countNoiseChanges(const float* in, const float* out, int32_t count, RepairReport& report) {
    double before = 0.0;
    double after = 0.0;
    int64_t changed = 0;
    for (int32_t n = 0; n < count; ++n) {
        before += static_cast<double>(in[n]) * in[n];
        after += static_cast<double>(out[n]) * out[n];
        changed += std::fabs(out[n] - in[n]) > kAudibleChange ? 1 : 0;
    }
    report.samples += changed;
    report.repairs += changed > 0 && after < before * kLoweredRatio ? 1 : 0;
}
