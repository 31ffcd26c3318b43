#include "EnhancedImpulseChannel.h"

#include "EnhancedRobustScale.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int32_t kBlock = EnhancedImpulseSettings::kBlock;
constexpr int32_t kWindow = EnhancedImpulseSettings::kWindow;
constexpr int32_t kQuarter = EnhancedImpulseSettings::kQuarter;

} // namespace

EnhancedImpulseChannel::EnhancedImpulseChannel(const EnhancedImpulseSettings& settings)
    : settings_(settings), autocorrelation_(kWindow, Settings::kMaxOrder), finder_(kWindow),
      lsar_(Settings::kMaxCluster, Settings::kMaxOrder, kWindow), window_(kWindow),
      original_(kWindow), error_(kWindow), matched_(kWindow), sigma_(kWindow), scratch_(kWindow),
      mask_(kWindow), accepted_(kWindow) {}

void EnhancedImpulseChannel::processBlock(const float* in, float* out, float kHi) {
    std::copy(window_.begin() + kBlock, window_.end(), window_.begin());
    std::copy_n(in, kBlock, window_.begin() + 2 * kBlock);
    if (kHi > 0.0f) {
        std::copy(window_.begin(), window_.end(), original_.begin());
        std::fill(mask_.begin(), mask_.end(), uint8_t{0});
        const int32_t highest = settings_.highOrder;
        autocorrelation_.compute(window_.data(), r_.data(), highest);
        bool repaired = false;
        for (const int32_t order : {settings_.lowOrder, settings_.highOrder}) {
            if (repaired) {
                // The second model learns from the window without the large clicks.
                autocorrelation_.compute(window_.data(), r_.data(), highest);
            }
            if (r_[0] < Settings::kSilentPower || !detect(order, kHi)) {
                break;
            }
            measureExcitation();
            std::copy(original_.begin(), original_.end(), window_.begin());
            const EnhancedLsar::Outcome outcome =
                lsar_.solve(window_.data(), kWindow, mask_.data(), accepted_.data(), model_.data(),
                            order, excitation_.data(), kQuarter, settings_.beta);
            report_.failures += outcome.failures;
            mask_.swap(accepted_);
            repaired = outcome.samples > 0;
        }
        count();
    }
    std::copy_n(window_.begin() + kBlock, kBlock, out);
}

bool EnhancedImpulseChannel::detect(int32_t order, float kHi) {
    std::array<double, Settings::kMaxOrder + 1> corrected{};
    std::copy_n(r_.begin(), order + 1, corrected.begin());
    corrected[0] *= 1.0 + Settings::kWhiteNoiseCorrection;
    EnhancedAr::levinson(corrected.data(), order, model_.data());
    for (int32_t k = 0; k <= order; ++k) {
        modelFloat_[static_cast<size_t>(k)] = static_cast<float>(model_[static_cast<size_t>(k)]);
    }
    EnhancedAr::predictionError(window_.data(), kWindow, modelFloat_.data(), order, error_.data());
    EnhancedAr::matchedResidual(error_.data(), kWindow, modelFloat_.data(), order, matched_.data());
    EnhancedRobustScale::localScale(matched_.data(), kWindow, kBlock, 2 * kBlock, kQuarter,
                                    Settings::kScaleFloor, sigma_.data(), scratch_.data());
    float* ratio = sigma_.data(); // the scale is used once: the ratio takes its place
    for (int32_t n = 0; n < kWindow; ++n) {
        ratio[n] = std::fabs(matched_[static_cast<size_t>(n)]) / ratio[n];
    }
    bool any = false;
    for (const EnhancedRegion& region :
         finder_.find(ratio, kWindow, kBlock, 2 * kBlock, settings_, kHi)) {
        // Unknowns need `order` known samples before and after them within the window.
        const int32_t from = std::max(region.start, order);
        const int32_t to = std::min(region.end, kWindow - order);
        for (int32_t n = from; n < to; ++n) {
            mask_[static_cast<size_t>(n)] = 1;
            any = true;
        }
    }
    return any || std::find(mask_.begin(), mask_.end(), uint8_t{1}) != mask_.end();
}

void EnhancedImpulseChannel::measureExcitation() {
    // Innovation variance per quarter from the median prediction error: what music of
    // that place excites the model with.
    // Only the quarters that hold unknowns are asked for.
    const auto toSigma = static_cast<float>(Settings::kMadToSigma);
    for (int32_t q = 0; q < kWindow / kQuarter; ++q) {
        const auto first = mask_.begin() + q * kQuarter;
        if (std::find(first, first + kQuarter, uint8_t{1}) == first + kQuarter) {
            continue;
        }
        const float s = toSigma * EnhancedRobustScale::medianMagnitude(error_.data() + q * kQuarter,
                                                                       kQuarter, scratch_.data());
        excitation_[static_cast<size_t>(q)] = s * s;
    }
}

void EnhancedImpulseChannel::count() {
    bool inside = false;
    for (const uint8_t marked : mask_) {
        if (marked) {
            ++report_.samples;
            report_.repairs += inside ? 0 : 1;
        }
        inside = marked != 0;
    }
}
