#include "SilenceLevelMeter.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <numbers>

namespace {

constexpr double kRate = 44100.0;
// Median magnitude of Gaussian noise in units of its standard deviation.
constexpr double kGaussianMedian = 0.6744897501960817;

} // namespace

SilenceLevelMeter::SilenceLevelMeter() {
    // Bilinear transform of s^2 / (s^2 + sqrt(2) s + 1), prewarped to kHighPassHz.
    const double k = std::tan(std::numbers::pi * kHighPassHz / kRate);
    const double norm = 1.0 / (1.0 + std::numbers::sqrt2 * k + k * k);
    coefficients_ = {norm, -2.0 * norm, norm, 2.0 * (k * k - 1.0) * norm,
                     (1.0 - std::numbers::sqrt2 * k + k * k) * norm};
}

void SilenceLevelMeter::feed(const int16_t* samples, int32_t frames, std::vector<float>& energies) {
    const auto [b0, b1, b2, a1, a2] = coefficients_;
    // The filters' state in locals, a hop's worth of frames at a time.
    double l1 = filters_[0].z1, l2 = filters_[0].z2;
    double r1 = filters_[1].z1, r2 = filters_[1].z2;
    for (int32_t done = 0; done < frames;) {
        const int32_t now = std::min(frames - done, kHopFrames - filled_ / 2);
        const int16_t* in = samples + 2 * static_cast<int64_t>(done);
        for (int32_t i = 0; i < now; ++i) {
            const double x = in[2 * i] / 32768.0;
            const double y = b0 * x + l1;
            l1 = b1 * x - a1 * y + l2;
            l2 = b2 * x - a2 * y;
            const double u = in[2 * i + 1] / 32768.0;
            const double v = b0 * u + r1;
            r1 = b1 * u - a1 * v + r2;
            r2 = b2 * u - a2 * v;
            // A histogram per channel: neighbouring samples often fall into the same bin,
            // and one count need not wait for the other.
            ++bins_[static_cast<size_t>(binOf(static_cast<float>(std::abs(y))))];
            ++rightBins_[static_cast<size_t>(binOf(static_cast<float>(std::abs(v))))];
        }
        done += now;
        filled_ += 2 * now;
        if (filled_ == 2 * kHopFrames) {
            endHop(energies);
        }
    }
    filters_[0] = {l1, l2};
    filters_[1] = {r1, r2};
}

void SilenceLevelMeter::finish(std::vector<float>& energies) {
    if (filled_ > 0) {
        endHop(energies);
    }
}

void SilenceLevelMeter::endHop(std::vector<float>& energies) {
    for (size_t b = 0; b < bins_.size(); ++b) {
        bins_[b] = static_cast<uint16_t>(bins_[b] + rightBins_[b]);
    }
    rightBins_ = {};
    const double sigma = median(bins_, filled_) / kGaussianMedian;
    energies.push_back(std::max(static_cast<float>(sigma * sigma), kEnergyFloor));
    bins_ = {};
    filled_ = 0;
}

float SilenceLevelMeter::median(const Histogram& bins, int32_t count) {
    const double rank = (count - 1) / 2.0;
    int32_t below = 0;
    for (int32_t b = 0; b < kBins; ++b) {
        const int32_t here = bins[static_cast<size_t>(b)];
        if (below + here > rank) {
            // Spread evenly over the bin: the bin's edges are 2^(1/8) apart.
            const auto bits = static_cast<uint32_t>(b + kLowestBits);
            const float lower = std::bit_cast<float>(bits << 20);
            const float upper = std::bit_cast<float>((bits + 1) << 20);
            const double within = (rank - below + 0.5) / here;
            return static_cast<float>(lower + (upper - lower) * within);
        }
        below += here;
    }
    return 0.0f;
}
