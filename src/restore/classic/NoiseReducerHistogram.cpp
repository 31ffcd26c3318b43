#include "NoiseReducerHistogram.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int32_t kTop = NoiseReducerHistogram::kLevels - 1;
static_assert((NoiseReducerHistogram::kRing & (NoiseReducerHistogram::kRing - 1)) == 0,
              "the ring positions wrap by masking");
// The smoothed histogram is looked at from index 2 to 125.
constexpr int32_t kFirst = 2;
constexpr int32_t kLast = NoiseReducerHistogram::kLevels - 3;
constexpr double kSmoothing = 0.2;
constexpr double kTopPeakMinimum = 0.005;
constexpr double kLowPeakMinimum = 0.015;
constexpr double kSmallMove = 0.1; // 1 dB: closer than this the level stays
constexpr double kLargeMove = 0.4; // 4 dB: farther than this the level jumps

// out[j] = scale × (in[j - 1] + in[j] + in[j + 1] + in[j + 2]) for j = 2 .. 125.
template <class T>
void smooth(const T& in, std::array<double, NoiseReducerHistogram::kLevels>& out, double scale) {
    for (int32_t j = kFirst; j <= kLast; ++j) {
        out[j] = scale * (static_cast<double>(in[j - 1]) + in[j] + in[j + 1] + in[j + 2]);
    }
}

} // namespace

NoiseReducerHistogram::NoiseReducerHistogram() : ring_(kRing) {
    reset();
}

int32_t NoiseReducerHistogram::levelIndex(float power) {
    const double db = power <= 1e-14f ? -140.0 : 10.0 * std::log10(power);
    return static_cast<int32_t>((db - kLowestDb) / kStepDb);
}

double NoiseReducerHistogram::tableLevel(int32_t index) {
    return (kLowestDb + index * kStepDb) / 10.0;
}

void NoiseReducerHistogram::reset() {
    std::fill(ring_.begin(), ring_.end(), static_cast<uint8_t>(kTop));
    counts_.fill(0);
    counts_[kTop] = kRing;
    write_ = 0;
    read_ = 1;
    storedIndex_ = kTop;
    candidateIndex_ = kTop;
    candidateLevel_ = kResetLevel;
    level_ = kResetLevel;
}

void NoiseReducerHistogram::add(int32_t index) {
    index = std::clamp(index, 0, kTop);
    ring_[write_] = static_cast<uint8_t>(index);
    write_ = (write_ + 1) & (kRing - 1);
    ++counts_[index];
    const int32_t oldest = ring_[read_];
    read_ = (read_ + 1) & (kRing - 1);
    --counts_[oldest];
}

void NoiseReducerHistogram::finishUpdate() {
    counts_[0] = 0;
    counts_[kTop] = 0;
}

void NoiseReducerHistogram::evaluate() {
    std::array<double, kLevels> once{};
    std::array<double, kLevels> twice{};
    smooth(counts_, once, kSmoothing / kRing);
    smooth(once, twice, kSmoothing);

    double topBest = kTopPeakMinimum;
    int32_t top = 0;
    for (int32_t j = kLast; j >= kFirst; --j) {
        if (twice[j] >= topBest) {
            topBest = twice[j];
            top = j;
        } else if (top != 0) {
            break;
        }
    }
    double lowBest = kLowPeakMinimum;
    int32_t low = 0;
    for (int32_t j = kFirst; j <= kLast; ++j) {
        if (twice[j] >= lowBest) {
            lowBest = twice[j];
            low = j;
        } else if (low != 0) {
            break;
        }
    }

    // The lowest peak is the floor when nothing near it rises within 15 dB above.
    if (low + kFloorSpread < kLevels && twice[low + kFloorSpread] < 0.5 * lowBest && low != 0 &&
        low != storedIndex_ && (low <= storedIndex_ || top <= low)) {
        candidateLevel_ = tableLevel(low);
        candidateIndex_ = low;
    }
    if (top != 0 && top <= storedIndex_) {
        candidateLevel_ = tableLevel(top);
        storedIndex_ = top;
    }
    const double distance = std::fabs(candidateLevel_ - level_);
    if (distance > kSmallMove) {
        level_ = distance <= kLargeMove ? 0.9 * level_ + 0.1 * candidateLevel_ : candidateLevel_;
        storedIndex_ = candidateIndex_;
    }
}

void NoiseReducerHistogram::limitTo(double mean) {
    if (level_ > mean) {
        level_ = mean;
        storedIndex_ = kLimitedIndex;
    }
}
