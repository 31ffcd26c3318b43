#include "ClickChannel.h"

#include <algorithm>
#include <cstdio>

ClickChannel::ClickChannel()
    : residual_(S::kResidualOrder, S::kBlock), interpolator_(S::kMaxGap, S::kContextLimit) {
    // Until real blocks arrive the ring holds silence, with the levels silence gets.
    std::array<float, kQuarters> silent{};
    levels_.measure(ring_[0].power.data(), silent);
    for (int32_t b = 0; b < S::kRingBlocks; ++b) {
        ring_[b].levels = silent;
        ring_[b].position = static_cast<int64_t>(b - S::kRingBlocks) * S::kBlock;
    }
}

void ClickChannel::setThreshold(float threshold) {
    threshold_ = std::clamp(threshold, S::kThreshold.minimum, S::kThreshold.maximum);
}

void ClickChannel::processBlock(const float* in, float* out) {
    // The oldest block leaves, repaired, and its slot takes the new one.
    Block& leaving = ring_[previous_];
    if (monitor_) {
        for (int32_t i = 0; i < S::kBlock; ++i) {
            out[i] = leaving.untouched[i] - leaving.signal[i];
        }
    } else {
        std::copy(leaving.signal.begin(), leaving.signal.end(), out);
    }
    const int32_t slot = previous_;
    previous_ = middle_;
    middle_ = newest_;
    newest_ = slot;

    Block& fresh = ring_[newest_];
    std::copy_n(in, S::kBlock, fresh.signal.begin());
    std::copy_n(in, S::kBlock, fresh.untouched.begin());
    fresh.position = received_;
    received_ += S::kBlock;

    analyseNewest();
    repairMiddle();
}

void ClickChannel::analyseNewest() {
    Block& block = ring_[newest_];
    std::copy(block.signal.begin(), block.signal.end(), samples_.begin());
    if (block.model.fit(samples_.data(), S::kBlock, S::kSilentPower, S::kSolvedOrder)) {
        residual_.run(block.model.coefficients(S::kResidualOrder), block.signal.data(), S::kBlock,
                      block.power.data());
    } else {
        block.power.fill(0.0f);
        residual_.clear();
    }
    levels_.measure(block.power.data(), block.levels);
}

void ClickChannel::repairMiddle() {
    const Block& block = ring_[middle_];
    if (!block.model.valid()) {
        return; // silent blocks get no repair
    }
    ClickDetector::thresholdCurve(block.levels, ring_[previous_].levels[kQuarters - 1],
                                  ring_[newest_].levels[0], threshold_, curve_.data());
    const int32_t found =
        ClickDetector::findRegions(block.power.data(), curve_.data(), S::kBlock, regions_);
    for (int32_t r = 0; r < found; ++r) {
        repair(regions_[r], block.model);
    }
}

float* ClickChannel::sampleAt(int32_t index) {
    if (index < -S::kBlock || index >= 2 * S::kBlock) {
        return nullptr;
    }
    if (index < 0) {
        return &ring_[previous_].signal[index + S::kBlock];
    }
    if (index < S::kBlock) {
        return &ring_[middle_].signal[index];
    }
    return &ring_[newest_].signal[index - S::kBlock];
}

void ClickChannel::repair(const ClickRegion& region, const ArModel& model) {
    const int32_t gap = region.length;
    // An order-K model needs exactly K known samples on each side.
    const int32_t K = std::min({gap, model.order() - 2, S::kContextLimit});
    const int32_t first = region.start - K;
    const int32_t span = gap + 2 * K;
    if (K < 1 || span > S::kWindow || !sampleAt(first) || !sampleAt(first + span - 1)) {
        return;
    }
    for (int32_t i = 0; i < span; ++i) {
        window_[i] = *sampleAt(first + i);
    }
    const int32_t result = interpolator_.interpolate(model.coefficients(K), K, window_.data(), gap);
    if (result != LsInterpolator::kSolved) {
        std::fprintf(stderr, "error in lsar: %d\n", static_cast<int>(result));
        ++report_.failures;
        return;
    }
    for (int32_t i = 0; i < gap; ++i) {
        *sampleAt(region.start + i) = static_cast<float>(window_[K + i]);
    }
    ++report_.repairs;
    report_.samples += gap;
    recent_[recentTotal_ % kRecentRepairs] = {ring_[middle_].position + region.start, gap};
    ++recentTotal_;
}

int32_t ClickChannel::recentRepairCount() const {
    return static_cast<int32_t>(std::min<int64_t>(recentTotal_, kRecentRepairs));
}

ClickChannel::Repair ClickChannel::recentRepair(int32_t i) const {
    const int64_t oldest = recentTotal_ - recentRepairCount();
    return recent_[(oldest + i) % kRecentRepairs];
}
