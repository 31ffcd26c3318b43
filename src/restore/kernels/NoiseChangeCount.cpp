#include "NoiseChangeCount.h"

#include "NspLanes.h"

#include <cmath>

namespace {

constexpr float kAudibleChange = 0.5f / 32768.0f;
constexpr double kLoweredRatio = 0.7943282347; // 10^(−1/10): 1 dB

} // namespace

void countNoiseChanges(const float* in, const float* out, int32_t count, RepairReport& report) {
    // Four sums side by side, in single precision: a hop's powers need no more for a 1 dB
    // decision.
    using Lanes = NspFloatLanes;
    using Counts = int32_t __attribute__((vector_size(16)));
    constexpr int32_t kWidth = kNspLanesOf<Lanes>;
    Lanes before4{}, after4{};
    Counts changed4{};
    int32_t n = 0;
    for (; n + kWidth <= count; n += kWidth) {
        Lanes a, b;
        nspLoad(a, in + n);
        nspLoad(b, out + n);
        before4 += a * a;
        after4 += b * b;
        const Lanes d = b - a;
        changed4 -= (d > kAudibleChange) | (d < -kAudibleChange); // a true lane is -1
    }
    double before = 0.0;
    double after = 0.0;
    int64_t changed = 0;
    for (int32_t i = 0; i < kWidth; ++i) {
        before += before4[i];
        after += after4[i];
        changed += changed4[i];
    }
    for (; n < count; ++n) {
        before += static_cast<double>(in[n]) * in[n];
        after += static_cast<double>(out[n]) * out[n];
        changed += std::fabs(out[n] - in[n]) > kAudibleChange ? 1 : 0;
    }
    report.samples += changed;
    report.repairs += changed > 0 && after < before * kLoweredRatio ? 1 : 0;
}
