#include "EnhancedFloorPeakedness.h"

#include "NspLanes.h"

#include <algorithm>

namespace {

constexpr int32_t kFrom = EnhancedNoiseSettings::kPeakedFromBin;
constexpr int32_t kTo = EnhancedNoiseSettings::kGuardToBin;
constexpr int32_t kFewest = (kTo - kFrom) / 4;

} // namespace

EnhancedFloorPeakedness::EnhancedFloorPeakedness() : fft_(Settings::kFftSize) {}

float EnhancedFloorPeakedness::measure(const std::complex<float>* spectrum, const float* power,
                                       const float* floor) {
    if (!fft_.valid()) {
        return -1.0f;
    }
    std::complex<float>* bins = fft_.spectrum();
    std::fill_n(bins, fft_.bins(), std::complex<float>{});
    int32_t taken = 0;
    for (int32_t k = kFrom; k < kTo; ++k) {
        const bool atFloor = power[k] < Settings::kFloorBand * floor[k];
        bins[k] = atFloor ? spectrum[k] : std::complex<float>{};
        taken += atFloor ? 1 : 0;
    }
    if (taken < kFewest) {
        return -1.0f;
    }
    fft_.inverse();
    // Sums in lanes, in a fixed order; the scale of the transform cancels in the ratio.
    const float* y = fft_.time();
    NspFloatLanes squares{}, fourths{};
    for (int32_t n = 0; n < fft_.size(); n += kNspLanesOf<NspFloatLanes>) {
        NspFloatLanes v;
        nspLoad(v, y + n);
        const NspFloatLanes s = v * v;
        squares += s;
        fourths += s * s;
    }
    float square = 0.0f, fourth = 0.0f;
    for (int i = 0; i < kNspLanesOf<NspFloatLanes>; ++i) {
        square += squares[i];
        fourth += fourths[i];
    }
    if (!(square > 1e-20f)) {
        return -1.0f;
    }
    return static_cast<float>(fft_.size()) * (fourth / square) / square;
}
