// The click remover as the chain runs it: one object for both channels, behind its block
// adapter, with the threshold from the user value.
#include "ClickRemover.h"
#include "KernelTestSupport.h"

using namespace kernel_test;
using namespace TestSignals;

namespace {

constexpr int32_t kLatency = ClickSettings::kLatency;
constexpr int32_t kBlock = ClickSettings::kBlock;

// Input delayed by the latency, zeros before.
std::vector<float> delayed(const std::vector<float>& input, int32_t by) {
    std::vector<float> out(input.size(), 0.0f);
    std::copy(input.begin(), input.end() - by, out.begin() + by);
    return out;
}

// Marks, on the output's time line, every sample the channel reports having repaired.
std::vector<bool> repairedSamples(const ClickChannel& channel, size_t count) {
    std::vector<bool> marked(count, false);
    for (int32_t r = 0; r < channel.recentRepairCount(); ++r) {
        const auto repair = channel.recentRepair(r);
        for (int32_t i = 0; i < repair.length; ++i) {
            const int64_t at = repair.start + i + kLatency;
            if (at >= 0 && at < static_cast<int64_t>(count)) {
                marked[at] = true;
            }
        }
    }
    return marked;
}

// The clean bed with one click of `shape` starting at `at`, peak `amplitude`.
ClickedSignal oneClick(int32_t count, uint32_t seed, int32_t at, double amplitude,
                       int32_t length = 1) {
    ClickedSignal signal;
    signal.clean = musicBed(count, seed);
    signal.dirty = signal.clean;
    for (int32_t k = 0; k < length; ++k) {
        signal.dirty[at + k] += static_cast<float>(amplitude * std::pow(-0.7, k));
    }
    signal.clicks.push_back({at, length});
    return signal;
}

} // namespace

TEST(ClickRemover, DelaysByItsLatencyAndChangesNothingOutsideItsRegions) {
    const auto signal = withClicks(musicBed(2 * 44100, 21), Shape::Burst, 15, 22);
    ClickRemover remover;
    const auto output = runMono(remover, signal.dirty, 0.5f);
    const auto reference = delayed(signal.dirty, kLatency);
    const ClickChannel& channel = remover.channel(0);
    ASSERT_GT(channel.report().repairs, 0);
    ASSERT_LT(channel.report().repairs, ClickChannel::kRecentRepairs); // all still listed
    const auto marked = repairedSamples(channel, output.size());
    int32_t changed = 0;
    for (size_t n = 0; n < output.size(); ++n) {
        if (!marked[n]) {
            ASSERT_EQ(output[n], reference[n]) << n;
        } else {
            changed += output[n] != reference[n] ? 1 : 0;
        }
    }
    EXPECT_GT(changed, 30);
    // The report counts what the list holds.
    int64_t samples = 0;
    for (int32_t r = 0; r < channel.recentRepairCount(); ++r) {
        samples += channel.recentRepair(r).length;
    }
    EXPECT_EQ(samples, channel.report().samples);
    EXPECT_EQ(channel.report().failures, 0);
}

TEST(ClickRemover, RepairsSpikesOnMusic) {
    // Several sines with noise at about −54 dBFS and 30 spikes of 0.3 to 1.0 at p = 0.5.
    const auto signal = withClicks(musicBed(6 * 44100, 31), Shape::Spike, 30, 32);
    ClickRemover remover;
    const auto output = runMono(remover, signal.dirty, 0.5f);
    const Score result = score(signal, output, kLatency);
    EXPECT_GE(result.repaired, 25);
    EXPECT_LE(result.regionChangeDb, -12.0);
    EXPECT_LT(result.wholeChangeDb, 0.0);
}

namespace {

// A 6-sample burst of 0.6 at `at` on music, repaired at p = 0.5: its score, and which
// samples of the input's time line lie in repaired regions.
struct BurstRepair {
    Score result;
    std::vector<bool> marked;
};

BurstRepair repairBurstAt(int32_t at) {
    const auto signal = oneClick(at + 8 * kBlock, 41, at, 0.6, 6);
    ClickRemover remover;
    const auto output = runMono(remover, signal.dirty, 0.5f);
    auto marked = repairedSamples(remover.channel(0), output.size());
    marked.erase(marked.begin(), marked.begin() + kLatency);
    return {score(signal, output, kLatency), marked};
}

} // namespace

TEST(ClickRemover, AClickAcrossABlockBoundaryOrWhoseResidualCrossesOneIsRepaired) {
    // The residual lags by 30 samples: the second click's residual run is cut in two by
    // the block boundary, and each block repairs its part. The loud first samples lie in
    // repaired regions (the faint sixth of the second may not).
    const struct {
        int32_t at;
        double regionDb;
        int32_t marked;
    } rows[] = {{12 * kBlock - 3, -12.0, 6},
                {20 * kBlock - ClickSettings::kResidualLag - 3, -6.0, 5}};
    for (const auto& row : rows) {
        const auto repair = repairBurstAt(row.at);
        EXPECT_EQ(repair.result.repaired, 1) << row.at;
        EXPECT_LT(repair.result.regionChangeDb, row.regionDb) << row.at;
        for (int32_t n = row.at; n < row.at + row.marked; ++n) {
            EXPECT_TRUE(repair.marked[n]) << row.at << " " << n - row.at;
        }
    }
}

TEST(ClickRemover, AClickLaterInABlockWithALongDisturbanceIsStillRepaired) {
    // 250 samples of loud random signs straddling two quarters, and a 3-sample click
    // later in the same block. (That a run of 200 or more is left alone is shown on the
    // detector itself: the residual of such a disturbance dips under the curve now and
    // then, which splits it into shorter runs.)
    const int32_t blockStart = 10 * kBlock;
    const int32_t burst = blockStart + 150, click = blockStart + 700;
    auto signal = oneClick(16 * kBlock, 51, click, 0.5, 3);
    std::mt19937 random(52);
    for (int32_t n = burst; n < burst + 250; ++n) {
        signal.dirty[n] = (random() & 1) ? 0.9f : -0.9f;
    }
    ClickRemover remover;
    const auto output = runMono(remover, signal.dirty, 0.5f);
    EXPECT_EQ(score(signal, output, kLatency).repaired, 1);
    for (int32_t r = 0; r < remover.channel(0).recentRepairCount(); ++r) {
        ASSERT_LE(remover.channel(0).recentRepair(r).length, ClickSettings::kMaxGap);
    }
}

TEST(ClickRemover, AtZeroOnlyVeryLargeImpulsesAreRepaired) {
    auto signal = oneClick(24 * kBlock, 61, 8 * kBlock + 300, 0.05);
    const int32_t big = 16 * kBlock + 500;
    signal.dirty[big] += 0.95f;
    ClickRemover atZero;
    auto output = runMono(atZero, signal.dirty, 0.0f);
    // The small click passes untouched, the large one is repaired.
    for (int32_t n = 8 * kBlock; n < 9 * kBlock; ++n) {
        ASSERT_EQ(output[n + kLatency], signal.dirty[n]) << n;
    }
    EXPECT_LT(std::abs(output[big + kLatency] - signal.clean[big]), 0.05f);
    EXPECT_EQ(atZero.report().repairs, 1);
    for (int32_t n = 0; n < static_cast<int32_t>(signal.dirty.size()) - kLatency; ++n) {
        if (std::abs(n - big) > ClickSettings::kMaxGap) {
            ASSERT_EQ(output[n + kLatency], signal.dirty[n]) << n;
        }
    }

    // Halfway up the slider the small one is found as well.
    ClickRemover atHalf;
    output = runMono(atHalf, signal.dirty, 0.5f);
    EXPECT_EQ(score(signal, output, kLatency).repaired, 1);
    EXPECT_LT(std::abs(output[big + kLatency] - signal.clean[big]), 0.5f);
}

TEST(ClickRemover, EachChannelIsRepairedOnItsOwnAndMonitorGivesWhatTheRepairsRemoved) {
    const auto signal = withClicks(musicBed(3 * 44100, 81), Shape::Spike, 10, 82);
    const auto quiet = musicBed(3 * 44100, 83);
    ClickRemover repairing, monitoring;
    monitoring.setMonitor(true);
    const auto repaired = runKernel(repairing, params(0.3f), {signal.dirty, quiet}, 4096);
    const auto removed = runKernel(monitoring, params(0.3f), {signal.dirty, quiet}, 4096);
    EXPECT_GE(score(signal, repaired.left, kLatency).repaired, 8);
    EXPECT_EQ(repairing.channel(1).report().repairs, 0);
    EXPECT_EQ(repairing.report().repairs, repairing.channel(0).report().repairs);
    EXPECT_EQ(repaired.right, delayed(quiet, kLatency));
    const auto reference = delayed(signal.dirty, kLatency);
    double removedEnergy = 0.0;
    for (size_t n = 0; n < reference.size(); ++n) {
        ASSERT_NEAR(repaired.left[n] + removed.left[n], reference[n], 1e-6f) << n;
        removedEnergy += removed.left[n] * removed.left[n];
    }
    EXPECT_GT(removedEnergy, 0.5);
}
