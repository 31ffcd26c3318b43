#include "EnhancedNoiseLookAhead.h"

#include "EnhancedNoiseLanes.h"

#include <algorithm>

namespace {

constexpr int32_t kBins = EnhancedNoiseSettings::kBins;
constexpr int32_t kPadded = EnhancedLsaGain::kPaddedBins;
constexpr int32_t kSpectra = EnhancedNoiseLookAhead::kDelayFrames + 1;
constexpr int32_t kSnrFrames = EnhancedNoiseLookAhead::kSettle + EnhancedNoiseLookAhead::kChunk;

size_t slot(int64_t frame, int32_t ring, int32_t length) {
    return static_cast<size_t>(frame % ring) * static_cast<size_t>(length);
}

} // namespace

EnhancedNoiseLookAhead::EnhancedNoiseLookAhead()
    : spectra_(static_cast<size_t>(kSpectra) * kBins),
      snr_(static_cast<size_t>(kSnrFrames) * kPadded),
      priori_(static_cast<size_t>(kChunk) * kPadded), power_(kPadded), gains_(kPadded) {}

bool EnhancedNoiseLookAhead::push(const std::complex<float>* spectrum, const float* inverseNoise,
                                  const Settings::Strength& strength, std::complex<float>* out) {
    const int64_t newest = frames_++;
    std::copy_n(spectrum, kBins, spectra_.begin() + slot(newest, kSpectra, kBins));
    // The frame kNoiseAhead back learns its SNR from the noise as it is known now.
    if (const int64_t known = newest - kNoiseAhead; known >= 0) {
        const std::complex<float>* x = spectra_.data() + slot(known, kSpectra, kBins);
        float* power = power_.data();
        noise_lanes::inWidestLanes([=]() __attribute__((always_inline)) {
            for (int32_t k = 0; k < kBins; ++k) {
                power[k] = std::norm(x[k]);
            }
        });
        EnhancedLsaGain::posteriori(power_.data(), inverseNoise, strength.snrScale,
                                    snr_.data() + slot(known, kSnrFrames, kPadded));
        if ((known + 1) % kChunk == 0) {
            backwardChunk(known, strength);
        }
    }
    const int64_t due = newest - kDelayFrames;
    if (due < 0) {
        return false;
    }
    forward_.step(snr_.data() + slot(due, kSnrFrames, kPadded),
                  priori_.data() + slot(due, kChunk, kPadded), strength, gains_.data(), nullptr);
    const std::complex<float>* x = spectra_.data() + slot(due, kSpectra, kBins);
    const float* gains = gains_.data();
    noise_lanes::inWidestLanes([=]() __attribute__((always_inline)) {
        for (int32_t k = 0; k < kBins; ++k) {
            out[k] = x[k] * gains[k];
        }
    });
    return true;
}

void EnhancedNoiseLookAhead::backwardChunk(int64_t newest, const Settings::Strength& strength) {
    // From the newest frame back in time: the first kSettle frames only start the
    // recursion; the kChunk before them are kept for the forward pass.
    backward_.reset();
    const int64_t oldest = std::max<int64_t>(newest - kSettle - kChunk + 1, 0);
    for (int64_t frame = newest; frame >= oldest; --frame) {
        float* keep =
            frame <= newest - kSettle ? priori_.data() + slot(frame, kChunk, kPadded) : nullptr;
        backward_.step(snr_.data() + slot(frame, kSnrFrames, kPadded), nullptr, strength,
                       gains_.data(), keep);
    }
}
