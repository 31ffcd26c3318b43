#include "BassEnhancer.h"

#include <cmath>
#include <numbers>

namespace {

constexpr double kSampleRate = 44100.0;

struct Section {
    const BassEnhancer::Coefficients& c;
    double step(double x, double& x1, double& x2, double& y1, double& y2) const {
        const double y = c.b0 * x + c.b1 * x1 + c.b2 * x2 - c.a1 * y1 - c.a2 * y2;
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
        return y;
    }
};

} // namespace

BassEnhancer::Coefficients BassEnhancer::design(double gainDb) {
    if (gainDb >= -kIdentityGainDb && gainDb <= kIdentityGainDb) {
        return {};
    }
    constexpr double kT = 1.0 / kSampleRate;
    const double zeroHz = kCentreHz / std::sqrt(1.0 + 1.0 / kShape);
    const double omegaC = (2.0 / kT) * std::tan(std::numbers::pi * kCentreHz * kT);
    const double omegaZ = (2.0 / kT) * std::tan(std::numbers::pi * zeroHz * kT);

    // A cut is the boost's inverse: design the boost, then swap numerator and denominator.
    const double g = std::pow(10.0, std::fabs(gainDb) / 20.0);
    const double k = (0.95 * g) * (0.95 * g);
    const double v = std::sqrt(g * g - k) * omegaZ * omegaC /
                     ((omegaC * omegaC - omegaZ * omegaZ) * std::sqrt(k - 1.0));
    const double u = v / g;
    const double w = omegaC * omegaC * kT * kT;
    const double x = w + 4.0;
    const double y = 2.0 * omegaC * kT;

    double n0 = (y + x * u) * v;
    double n1 = 2.0 * (w - 4.0) * u * v;
    double n2 = (x * u - y) * v;
    double d0 = (x * v + y) * u;
    double d1 = n1;
    double d2 = (x * v - y) * u;
    if (gainDb < 0.0) {
        std::swap(n0, d0);
        std::swap(n1, d1);
        std::swap(n2, d2);
    }
    return {n0 / d0, n1 / d0, n2 / d0, d1 / d0, d2 / d0};
}

void BassEnhancer::process(const ParameterBlock& params, const float* const* in, float* const* out,
                           int32_t count) {
    const double gainDb = kMaxGainDb * params.value;
    if (gainDb != designedGain_) {
        coefficients_ = design(gainDb);
        designedGain_ = gainDb;
    }
    const Section section{coefficients_};
    Memory& l = memory_[0];
    if (params.channels < 2) {
        for (int32_t i = 0; i < count; ++i) {
            out[0][i] = static_cast<float>(section.step(in[0][i], l.x1, l.x2, l.y1, l.y2));
        }
        return;
    }
    // Both channels in one loop: two independent recursions keep the pipeline busy.
    Memory& r = memory_[1];
    for (int32_t i = 0; i < count; ++i) {
        const double xl = in[0][i];
        const double xr = in[1][i];
        out[0][i] = static_cast<float>(section.step(xl, l.x1, l.x2, l.y1, l.y2));
        out[1][i] = static_cast<float>(section.step(xr, r.x1, r.x2, r.y1, r.y2));
    }
}
