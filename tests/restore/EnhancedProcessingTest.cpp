// The enhanced mode in the chain and in processing runs (its names: the command-line
// tests): the stages it puts in slots 0..2, latency compensation to the frame for every
// combination, the same output for any call length, the whole-title noise stage, and what the
// classic noise stage reports.
#include "EnhancedNoiseReducer.h"
#include "EnhancedStages.h"
#include "FloatProcessor.h"
#include "KernelTestSupport.h"
#include "NoiseReducer.h"
#include "ProcessingPassRun.h"
#include "ProcessorChain.h"

using namespace kernel_test;
using namespace TestSignals;
using namespace processing_test;

namespace {

std::vector<int16_t> toFrames(const std::vector<float>& left, const std::vector<float>& right) {
    return frames(
        static_cast<int32_t>(left.size()),
        [&](int32_t i) { return std::lround(std::clamp(left[i] * 32768.0, -32768.0, 32767.0)); },
        [&](int32_t i) { return std::lround(std::clamp(right[i] * 32768.0, -32768.0, 32767.0)); });
}

TEST(EnhancedChainTest, OutputDoesNotDependOnTheCallLength) {
    const int32_t count = 3 * 44100;
    std::vector<float> left = musicMix(count, 3);
    add(left, hiss(count, -50.0, 4));
    const auto damaged = withBursts(left, 8, 5);
    const auto source = toFrames(damaged.dirty, left);
    auto run = [&](int32_t block) {
        ProcessorChain chain(std::make_shared<ProcessorSwitches>());
        chain.setRestorationMode(RestorationMode::kEnhanced);
        for (int32_t slot = 0; slot < 3; ++slot) {
            chain.createProcessor(slot, 0.6f);
        }
        std::vector<int16_t> data = source;
        for (int32_t done = 0; done < count; done += block) {
            chain.processBuffer(data.data() + 2 * done, std::min(block, count - done));
        }
        return data;
    };
    // Even lengths: the conversion back to 16 bits dithers by the frame's parity in a call.
    const auto whole = run(16384);
    for (const int32_t block : {2, 100, 1024, 4096, 8190}) {
        EXPECT_EQ(run(block), whole) << block;
    }
}

TEST(EnhancedProcessingTest, LatencyIsCompensatedToTheFrameForEveryCombination) {
    // Unlike the classic crackle stage, every enhanced stage reports all of its delay.
    for (const CombinationResult& r : everyCombination(RestorationMode::kEnhanced)) {
        ASSERT_TRUE(r.made) << "stages " << r.mask;
        EXPECT_TRUE(r.wholeTitle) << "stages " << r.mask;
        EXPECT_EQ(r.lag, 0) << "stages " << r.mask;
    }
}

TEST(EnhancedProcessingTest, ARunTakesTheNoiseStageThatLooksAhead) {
    // The whole-title form knows the noise from the first frame of a title
    // (EnhancedNoiseReducerTest); live play keeps the shorter delay.
    ProcessingSettings settings;
    settings.mode = RestorationMode::kEnhanced;
    settings.values = {0.0f, 0.0f, 0.5f, 0.0f, 0.0f, 0.0f};
    settings.enabled = {false, false, true, false, false, false};
    settings.wholeSource(44100);
    auto pass = ProcessingPass::create(settings);
    ASSERT_TRUE(pass);
    EXPECT_EQ(pass->latency(),
              EnhancedNoiseReducer::kLatency + EnhancedNoiseReducer::kLookAheadLatency);
    ProcessorChain chain(std::make_shared<ProcessorSwitches>());
    chain.setRestorationMode(RestorationMode::kEnhanced);
    chain.createProcessor(2, 0.5f);
    EXPECT_EQ(chain.latency(2), EnhancedNoiseReducer::kLatency);
}

TEST(ClassicNoiseReducerReportTest, CountsChangedSamplesAgainstTheDelayedInput) {
    NoiseReducer stage;
    const int32_t count = 4 * 44100;
    // Loud steady tone: the classic stage passes it almost unchanged.
    std::vector<float> tone = sine(1000.0, 0.5, count);
    quantise(tone);
    runKernel(stage, params(0.5f), StereoSignal{tone, tone}, 3000);
    const RepairReport quiet = stage.report();
    NoiseReducer noisy;
    const auto noise = hiss(count, -50.0, 41);
    runKernel(noisy, params(0.5f), StereoSignal{noise, noise}, 3000);
    const RepairReport lowered = noisy.report();
    EXPECT_GT(lowered.repairs, 2 * (count / 512) / 2);
    EXPECT_GT(lowered.samples, count);
    EXPECT_LT(quiet.repairs, lowered.repairs / 10);
}

} // namespace
