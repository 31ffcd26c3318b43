#pragma once

#include "ArModel.h"
#include "ClickDetector.h"
#include "ClickSettings.h"
#include "LsInterpolator.h"
#include "MatchedErrorFilter.h"
#include "RepairReport.h"
#include "ResidualLevels.h"

#include <array>
#include <cstdint>

// The click remover of one channel, working in whole blocks of kBlock samples. It keeps a
// ring of three blocks: each new block is modelled and its residual measured on arrival;
// the block before it (the middle one) is then searched for clicks against a threshold
// curve drawn from its own residual levels and its neighbours', and its clicks are
// interpolated, reaching into the blocks on either side. A block leaves the ring three
// blocks after it entered, so processBlock() hands out the block of three calls ago.
// Samples outside a detected region are never changed.
//
// Everything is made in the constructor; processBlock() allocates nothing.
class ClickChannel {
public:
    // A repaired region, by its first sample in the channel's input stream.
    struct Repair {
        int64_t start = 0;
        int32_t length = 0;
    };
    static constexpr int32_t kRecentRepairs = 1024;

    ClickChannel();

    // The threshold parameter, 0..100 (see ClickSettings::kThreshold).
    void setThreshold(float threshold);
    float threshold() const { return threshold_; }
    // When set, the output is what the repairs removed instead of the repaired signal.
    void setMonitor(bool on) { monitor_ = on; }

    // kBlock samples in; the block that came in three calls earlier, repaired, out.
    void processBlock(const float* in, float* out);

    const RepairReport& report() const { return report_; }
    // The last repairs made (up to kRecentRepairs, oldest first via recentRepair(0)).
    int32_t recentRepairCount() const;
    Repair recentRepair(int32_t i) const;

private:
    using S = ClickSettings;
    static constexpr int32_t kQuarters = ResidualLevels::kQuarters;
    static_assert(S::kModelOrder <= ArModel::kMaxOrder);
    static_assert(S::kContextLimit <= S::kSolvedOrder - 2 && S::kResidualOrder <= S::kSolvedOrder);

    struct Block {
        std::array<float, S::kBlock> signal{};
        std::array<float, S::kBlock> untouched{};
        std::array<float, S::kBlock> power{};
        std::array<float, kQuarters> levels{};
        ArModel model;
        int64_t position = 0; // of its first sample in the input stream
    };

    void analyseNewest();
    void repairMiddle();
    void repair(const ClickRegion& region, const ArModel& model);
    // The sample at `index` relative to the middle block, or null outside the ring.
    float* sampleAt(int32_t index);

    float threshold_ = S::kThreshold.defaultValue;
    bool monitor_ = false;
    int64_t received_ = 0;
    std::array<Block, S::kRingBlocks> ring_;
    // At the start of a call the previous block is the oldest; it leaves, and its slot
    // takes the new block.
    int32_t previous_ = 0, middle_ = 1, newest_ = 2;

    MatchedErrorFilter residual_;
    ResidualLevels levels_;
    LsInterpolator interpolator_;
    std::array<double, S::kBlock> samples_{};
    std::array<float, S::kBlock> curve_{};
    std::array<ClickRegion, ClickDetector::kMaxRegions> regions_{};
    std::array<double, S::kWindow> window_{};

    RepairReport report_;
    std::array<Repair, kRecentRepairs> recent_{};
    int64_t recentTotal_ = 0;
};
