#include "EnhancedImpulseChannel.h"

#include "EnhancedRobustScale.h"
#include "SelectionMedian.h"

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
      original_(kWindow), error_(kWindow), matched_(kWindow), sigma_(kWindow),
      keys_(2 * static_cast<size_t>(kWindow)), mask_(kWindow), accepted_(kWindow) {
    // Seeds are looked for a group's width either side of the middle block; grown regions
    // reach at most their longest length beyond.
    const int32_t reach = std::max(settings_.group, settings_.fixedSpan ? 1 : settings_.maxLength);
    detectFrom_ = std::max(kBlock - reach, 0);
    detectTo_ = std::min(2 * kBlock + settings_.group + reach, kWindow);
    const int32_t slack = settings_.margin + 1;
    activeFrom_ = std::max(detectFrom_ - slack, 0);
    activeTo_ = std::min(detectTo_ + slack, kWindow);
}

void EnhancedImpulseChannel::processBlock(const float* in, float* out, float kHi) {
    std::copy(window_.begin() + kBlock, window_.end(), window_.begin());
    std::copy_n(in, kBlock, window_.begin() + 2 * kBlock);
    if (kHi > 0.0f) {
        // Repairs land in the active stretch only: that is all that must be kept.
        std::copy(window_.begin() + activeFrom_, window_.begin() + activeTo_,
                  original_.begin() + activeFrom_);
        std::fill(mask_.begin() + activeFrom_, mask_.begin() + activeTo_, uint8_t{0});
        const int32_t highest = settings_.highOrder;
        autocorrelation_.compute(window_.data(), r_.data(), highest);
        bool repaired = false;
        for (const int32_t order : {settings_.lowOrder, settings_.highOrder}) {
            if (repaired) {
                // The second model learns from the window without the large clicks.
                autocorrelation_.update(original_.data(), window_.data(), mask_.data(), activeFrom_,
                                        activeTo_, r_.data(), highest);
            }
            if (r_[0] < Settings::kSilentPower || !detect(order, kHi)) {
                break;
            }
            measureExcitation(order);
            std::copy(original_.begin() + activeFrom_, original_.begin() + activeTo_,
                      window_.begin() + activeFrom_);
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
    if (ar_.solve(corrected.data(), Settings::kSilentPower, order)) {
        ar_.errorFilter(order, model_.data());
    } else {
        std::fill_n(model_.begin(), order + 1, 0.0);
        model_[0] = 1.0;
    }
    for (int32_t k = 0; k <= order; ++k) {
        modelFloat_[static_cast<size_t>(k)] = static_cast<float>(model_[static_cast<size_t>(k)]);
    }
    // Only disturbances that start in the middle block are looked for: the statistic is
    // needed where their seeds and grown regions can lie, not in the whole window.
    const int32_t from = detectFrom_;
    const int32_t to = detectTo_;
    errorFrom_ = from;
    errorTo_ = std::min(to + order, kWindow);
    EnhancedAr::predictionError(window_.data(), errorFrom_, errorTo_, modelFloat_.data(), order,
                                error_.data());
    EnhancedAr::matchedResidual(error_.data(), kWindow, from, to, modelFloat_.data(), order,
                                matched_.data());
    // sigma_ lends its room to the global level: it is written after.
    const float global =
        EnhancedRobustScale::globalLevel(matched_.data(), from, to, sigma_.data(), keys_.data());
    // Where even the least scale the quarters can have lets every value through, no seed
    // can stand out: the quarters' medians are not needed.
    const float least =
        std::max(static_cast<float>(Settings::kMadToSigma) * global, Settings::kScaleFloor);
    float largest = 0.0f;
    for (int32_t n = from; n < to; ++n) {
        largest = std::max(largest, std::fabs(matched_[static_cast<size_t>(n)]));
    }
    if (largest < 0.999f * kHi * least) {
        return std::find(mask_.begin() + activeFrom_, mask_.begin() + activeTo_, uint8_t{1}) !=
               mask_.begin() + activeTo_;
    }
    EnhancedRobustScale::localScale(matched_.data(), from, to, kBlock, 2 * kBlock, kQuarter,
                                    Settings::kScaleFloor, global, sigma_.data(), keys_.data());
    float* ratio = sigma_.data(); // the scale is used once: the ratio takes its place
    for (int32_t n = from; n < to; ++n) {
        ratio[n] = std::fabs(matched_[static_cast<size_t>(n)]) / ratio[n];
    }
    bool any = false;
    for (const EnhancedRegion& region :
         finder_.find(ratio + from, to - from, kBlock - from, 2 * kBlock - from, settings_, kHi)) {
        // Unknowns need `order` known samples before and after them within the window.
        const int32_t first = std::max(region.start + from, order);
        const int32_t last = std::min(region.end + from, kWindow - order);
        for (int32_t n = first; n < last; ++n) {
            mask_[static_cast<size_t>(n)] = 1;
            any = true;
        }
    }
    return any || std::find(mask_.begin() + activeFrom_, mask_.begin() + activeTo_, uint8_t{1}) !=
                      mask_.begin() + activeTo_;
}

void EnhancedImpulseChannel::measureExcitation(int32_t order) {
    // Innovation variance per quarter from the median prediction error: what music of
    // that place excites the model with.
    // Only the quarters that hold unknowns are asked for.
    const auto toSigma = static_cast<float>(Settings::kMadToSigma);
    for (int32_t q = activeFrom_ / kQuarter; q * kQuarter < activeTo_; ++q) {
        const int32_t start = q * kQuarter;
        const auto first = mask_.begin() + start;
        if (std::find(first, first + kQuarter, uint8_t{1}) == first + kQuarter) {
            continue;
        }
        // The error of a quarter at the edge of the detection range is completed first.
        if (start < errorFrom_) {
            EnhancedAr::predictionError(window_.data(), start, errorFrom_, modelFloat_.data(),
                                        order, error_.data());
            errorFrom_ = start;
        }
        if (start + kQuarter > errorTo_) {
            EnhancedAr::predictionError(window_.data(), errorTo_, start + kQuarter,
                                        modelFloat_.data(), order, error_.data());
            errorTo_ = start + kQuarter;
        }
        const float s = toSigma * SelectionMedian::medianMagnitude(error_.data() + start, kQuarter,
                                                                   keys_.data());
        excitation_[static_cast<size_t>(q)] = s * s;
    }
}

void EnhancedImpulseChannel::count() {
    const uint8_t* mask = mask_.data();
    // Most blocks repair nothing.
    if (std::all_of(mask + activeFrom_, mask + activeTo_, [](uint8_t m) { return m == 0; })) {
        return;
    }
    // Each sample marked, and each marked sample whose neighbour before is not: a region
    // starts there. Written without a carried state, so that it vectorises.
    int32_t samples = mask[activeFrom_] != 0 ? 1 : 0;
    int32_t starts = samples;
    for (int32_t n = activeFrom_ + 1; n < activeTo_; ++n) {
        const int32_t marked = mask[n] != 0 ? 1 : 0;
        const int32_t before = mask[n - 1] != 0 ? 1 : 0;
        samples += marked;
        starts += marked & (before ^ 1);
    }
    report_.samples += samples;
    report_.repairs += starts;
}
