// The click remover as the chain runs it: one object for both channels, behind its block
// adapter, with the threshold from the user value.
#include "ClickRemover.h"
#include "ClickSignals.h"
#include "CrackleRemover.h"
#include "FrameConversion.h"
#include "ProcessorChain.h"
#include "SignalTestSupport.h"

using namespace signal_test;
using namespace click_signals;

namespace {

constexpr int32_t kLatency = ClickSettings::kLatency;
constexpr int32_t kBlock = ClickSettings::kBlock;

std::vector<float> runMono(ClickRemover& remover, const std::vector<float>& input, float value,
                           int32_t block = 4096) {
    const StereoSignal stereo{input, input};
    return runKernel(remover, params(value, 1), stereo, block).left;
}

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

TEST(ClickRemover, ThresholdAndLatencyFollowTheUserValue) {
    EXPECT_EQ(ClickRemover::thresholdFor(0.0f), 100.0f);
    EXPECT_EQ(ClickRemover::thresholdFor(1.0f), 0.0f);
    EXPECT_EQ(ClickRemover::thresholdFor(0.5f), 50.0f);
    ClickRemover remover;
    EXPECT_EQ(remover.latency(), 4096);
    EXPECT_EQ(remover.channel(0).threshold(), ClickSettings::kThreshold.defaultValue);
    std::vector<float> block(10, 0.0f);
    const float* in[2] = {block.data(), block.data()};
    float* out[2] = {block.data(), block.data()};
    remover.process(params(0.25f), in, out, 10);
    EXPECT_EQ(remover.channel(0).threshold(), 75.0f);
    EXPECT_EQ(remover.channel(1).threshold(), 75.0f);
}

TEST(ClickRemover, EveryOptionsDefaultLiesInItsRange) {
    for (const RepairOption& option : ClickSettings::kOptions) {
        EXPECT_LE(option.minimum, option.defaultValue) << option.name;
        EXPECT_LE(option.defaultValue, option.maximum) << option.name;
    }
    // The chain's user values 0..1 map onto the whole threshold range.
    EXPECT_EQ(ClickRemover::thresholdFor(0.0f), ClickSettings::kThreshold.maximum);
    EXPECT_EQ(ClickRemover::thresholdFor(1.0f), ClickSettings::kThreshold.minimum);
}

TEST(ClickRemover, DigitalSilencePassesUnchanged) {
    ClickRemover remover;
    const std::vector<float> silence(6 * kBlock, 0.0f);
    EXPECT_EQ(runMono(remover, silence, 1.0f), silence);
    // The conversion's alternating offset is silence too: delayed, not touched.
    std::vector<float> offset(6 * kBlock);
    for (size_t n = 0; n < offset.size(); ++n) {
        offset[n] = (n & 1) ? -1e-7f : 1e-7f;
    }
    ClickRemover fresh;
    EXPECT_EQ(runMono(fresh, offset, 1.0f), delayed(offset, kLatency));
    EXPECT_EQ(fresh.report().repairs, 0);
}

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

TEST(ClickRemover, AClickAcrossABlockBoundaryIsRepairedFromBothBlocks) {
    const int32_t boundary = 12 * kBlock;
    const auto repair = repairBurstAt(boundary - 3);
    EXPECT_EQ(repair.result.repaired, 1);
    EXPECT_LT(repair.result.regionChangeDb, -12.0);
    for (int32_t n = boundary - 3; n < boundary + 3; ++n) {
        EXPECT_TRUE(repair.marked[n]) << n - boundary;
    }
}

TEST(ClickRemover, AClickWhoseResidualCrossesABlockBoundaryIsRepaired) {
    // The residual lags by 30 samples: this click's residual run is cut in two by the
    // block boundary, and each block repairs its part.
    const int32_t at = 20 * kBlock - ClickSettings::kResidualLag - 3;
    const auto repair = repairBurstAt(at);
    EXPECT_EQ(repair.result.repaired, 1);
    EXPECT_LT(repair.result.regionChangeDb, -6.0);
    // Its loud first five samples lie in repaired regions (the faint sixth may not).
    for (int32_t n = at; n < at + 5; ++n) {
        EXPECT_TRUE(repair.marked[n]) << n - at;
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

TEST(ClickRemover, OutputDoesNotDependOnTheBlockSize) {
    const auto signal = withClicks(musicBed(3 * 44100, 71), Shape::Smooth, 10, 72);
    const StereoSignal input{signal.dirty, signal.clean};
    ClickRemover whole;
    const auto reference = runKernel(whole, params(0.6f), input, 16384);
    for (int32_t block : {1, 13, 1024, 4096, 16384 - 1}) {
        ClickRemover blocked;
        const auto output = runKernel(blocked, params(0.6f), input, block);
        EXPECT_EQ(output.left, reference.left) << block;
        EXPECT_EQ(output.right, reference.right) << block;
    }
}

TEST(ClickRemover, EachChannelIsRepairedOnItsOwn) {
    const auto signal = withClicks(musicBed(3 * 44100, 81), Shape::Spike, 10, 82);
    const auto quiet = musicBed(3 * 44100, 83);
    ClickRemover remover;
    const auto output = runKernel(remover, params(0.3f), {signal.dirty, quiet}, 4096);
    EXPECT_GE(score(signal, output.left, kLatency).repaired, 8);
    EXPECT_EQ(remover.channel(1).report().repairs, 0);
    EXPECT_EQ(output.right, delayed(quiet, kLatency));
    EXPECT_EQ(remover.report().repairs, remover.channel(0).report().repairs);
}

TEST(ClickRemover, MonitorGivesWhatTheRepairsRemoved) {
    const auto signal = withClicks(musicBed(2 * 44100, 91), Shape::Burst, 8, 92);
    ClickRemover repairing, monitoring;
    monitoring.setMonitor(true);
    const auto repaired = runMono(repairing, signal.dirty, 0.5f);
    const auto removed = runMono(monitoring, signal.dirty, 0.5f);
    const auto reference = delayed(signal.dirty, kLatency);
    double removedEnergy = 0.0;
    for (size_t n = 0; n < reference.size(); ++n) {
        ASSERT_NEAR(repaired[n] + removed[n], reference[n], 1e-6f) << n;
        removedEnergy += removed[n] * removed[n];
    }
    EXPECT_GT(removedEnergy, 0.5);
}

TEST(ClickRemover, MadeByTheLibraryForSlotZero) {
    auto kernel = AlgorithmLibrary::create(ProcessorKind::ClickRemover, params(0.5f));
    ASSERT_TRUE(kernel);
    EXPECT_EQ(kernel->latency(), 4096);
    EXPECT_NE(dynamic_cast<ClickRemover*>(kernel.get()), nullptr);
}

namespace {

// Interleaved frames of the music bed, louder on the left.
std::vector<int16_t> musicFrames(int32_t count) {
    const auto bed = musicBed(count, 101);
    return frames(
        count, [&](int32_t i) { return std::lround(bed[i] * 30000.0); },
        [&](int32_t i) { return std::lround(-bed[i] * 20000.0); });
}

// Whether `output` is `input` converted to float once, delayed by `delay` frames, and
// converted back (the offset's sign follows the frame's place in its call).
::testing::AssertionResult convertedOnceAndDelayed(const std::vector<int16_t>& input,
                                                   const std::vector<int16_t>& output,
                                                   int32_t delay, int32_t call) {
    const auto count = static_cast<int32_t>(input.size() / 2);
    for (int32_t n = delay; n < count; ++n) {
        const int32_t from = n - delay;
        const float d = ((from % call) & 1) ? -FrameConversion::kOffset : FrameConversion::kOffset;
        for (int32_t c = 0; c < 2; ++c) {
            const float v = input[2 * from + c] * (1.0f / 32768.0f) + d;
            const auto expected =
                static_cast<int16_t>(static_cast<int32_t>(static_cast<double>(v) * 32767.0));
            if (output[2 * n + c] != expected) {
                return ::testing::AssertionFailure() << "frame " << n << " channel " << c;
            }
        }
    }
    return ::testing::AssertionSuccess();
}

} // namespace

TEST(ClickRemover, TheChainConvertsOnceInSlotZeroEvenWhenItIsOff) {
    auto switches = std::make_shared<ProcessorSwitches>();
    ProcessorChain chain(switches);
    ASSERT_TRUE(chain.createProcessor(0, 0.0f));
    ASSERT_TRUE(chain.createProcessor(1, 0.0f));
    EXPECT_EQ(chain.latency(0), kLatency);
    EXPECT_EQ(chain.latency(1), 0);
    const int32_t count = 40000;
    const auto input = musicFrames(count);
    auto run = [&] {
        auto output = input;
        for (int32_t at = 0; at < count; at += 4096) {
            chain.processBuffer(output.data() + 2 * at, std::min(4096, count - at));
        }
        return output;
    };
    // At p = 0 nothing in the music is a click: the click remover only delays.
    switches->setProcessorOff(1, true);
    EXPECT_TRUE(convertedOnceAndDelayed(input, run(), kLatency, 4096));
    // Switched off, slot 0 still converts, and the crackle remover works on that.
    ASSERT_TRUE(chain.createProcessor(1, 0.0f));
    switches->setProcessorOff(0, true);
    switches->setProcessorOff(1, false);
    EXPECT_TRUE(convertedOnceAndDelayed(input, run(), CrackleSettings::kLag, 4096));
}
