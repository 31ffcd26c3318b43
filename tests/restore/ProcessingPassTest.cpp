// The restoration of one title block by block: which stages run, latency compensation to
// the frame, trim and fades, the flush, titles shorter than a block.
#include "ProcessingPass.h"
#include "BurstSignals.h"
#include "ProcessingPassRun.h"
#include "SignalTestSupport.h"

#include <cmath>

using namespace signal_test;
using namespace burst_test;
using namespace processing_test;

namespace {

constexpr int32_t kBlock = ProcessingPass::kBlockFrames;
constexpr int32_t kClickLatency = 4096;
constexpr int32_t kNoiseLatency = 769;
constexpr int32_t kBrillianceLatency = 20;
constexpr int32_t kLimiterLatency = 2135;
constexpr int32_t kCrackleLag = 18;

// One sample through one conversion to float and back, at its frame's parity in the call.
int16_t roundTrip(int16_t s, int32_t frameInCall) {
    const float d = (frameInCall & 1) ? -1e-7f : 1e-7f;
    const float v = s * (1.0f / 32768.0f) + d;
    return static_cast<int16_t>(static_cast<int32_t>(static_cast<double>(v) * 32767.0));
}

ProcessingSettings allStages(float value) {
    ProcessingSettings settings;
    settings.values.fill(value);
    settings.enabled.fill(true);
    return settings;
}

TEST(ProcessingSettingsTest, FadesOfTenFramesOrLessBecome882) {
    ProcessingSettings settings;
    settings.trimTo(1000, 1000, 50000, 50000, 60000);
    EXPECT_EQ(settings.start, 1000);
    EXPECT_EQ(settings.length, 49000);
    EXPECT_TRUE(settings.fades);
    EXPECT_EQ(settings.fadeIn, 882);
    EXPECT_EQ(settings.fadeOut, 882);

    settings.trimTo(0, 10, 89, 100, 200);
    EXPECT_EQ(settings.fadeIn, 882) << "10 frames is still too short";
    EXPECT_EQ(settings.fadeOut, 11);
}

TEST(ProcessingSettingsTest, FadePointsAreKeptWithinTheSource) {
    ProcessingSettings settings;
    settings.trimTo(100, 5000, 90000, 132300, 44100);
    EXPECT_EQ(settings.start, 100);
    EXPECT_EQ(settings.length, 44000) << "the title ends where the source does";
    EXPECT_EQ(settings.fadeIn, 4900);
    EXPECT_EQ(settings.fadeOut, 882) << "the fade-out fell off the end of the source";

    settings.trimTo(-5, 0, 10, 3, 1000);
    EXPECT_EQ(settings.start, 0);
    EXPECT_EQ(settings.length, 3);

    settings.wholeSource(777);
    EXPECT_EQ(settings.start, 0);
    EXPECT_EQ(settings.length, 777);
    EXPECT_FALSE(settings.fades);
}

TEST(ProcessingSettingsTest, SliderPositionsBecomeValues) {
    EXPECT_FLOAT_EQ(ProcessingSettings::sliderValue(500000), 0.5f);
    EXPECT_FLOAT_EQ(ProcessingSettings::sliderValue(1000000), 1.0f);
    ProcessingSettings settings = allStages(0.5f);
    settings.enabled[2] = false;
    settings.values[4] = 0.0f;
    settings.values[5] = -0.25f;
    EXPECT_TRUE(settings.runs(0));
    EXPECT_FALSE(settings.runs(2)) << "switched off";
    EXPECT_FALSE(settings.runs(4)) << "value 0";
    EXPECT_FALSE(settings.runs(5)) << "value below 0";
    EXPECT_FALSE(settings.runs(6));
}

TEST(ProcessingPassTest, AllSwitchesOnButValuesZeroGiveTheTrimmedFadedSourceAfterOneConversion) {
    const int32_t sourceFrames = 3 * kBlock + 500;
    const auto hiss = noise(sourceFrames, 20000.0, 7);
    const auto source = frames(
        sourceFrames, [&](int32_t i) { return std::lround(hiss[i]); },
        [&](int32_t i) { return std::lround(-0.5 * hiss[i]); });
    ProcessingSettings settings = allStages(0.0f);
    settings.trimTo(300, 2300, 9000, 11000, sourceFrames);

    auto pass = ProcessingPass::create(settings);
    ASSERT_TRUE(pass);
    for (int32_t slot = 0; slot <= 6; ++slot) {
        EXPECT_FALSE(pass->runs(slot)) << slot;
    }
    EXPECT_EQ(pass->latency(), 0);
    EXPECT_FALSE(pass->needsWarmUp());
    const auto out = runPass(*pass, settings, source);
    ASSERT_EQ(out.size(), 2u * 10700);

    for (int32_t i = 0; i < 10700; ++i) {
        float gain = 1.0f;
        if (i <= 2000) {
            gain = std::clamp(static_cast<float>(i) * (1.0f / 2000.0f), 0.0f, 1.0f);
        } else if (i >= 8700) {
            gain = std::clamp(static_cast<float>(10700 - i) * (1.0f / 2000.0f), 0.0f, 1.0f);
        }
        for (int32_t c = 0; c < 2; ++c) {
            const int16_t converted = roundTrip(source[2 * (300 + i) + c], i % kBlock);
            const auto expected = static_cast<int16_t>(converted * gain);
            ASSERT_EQ(out[2 * i + c], expected) << "frame " << i << " channel " << c;
        }
    }
    EXPECT_EQ(roundTrip(1000, 0), 999) << "the conversion is not the identity";
}

TEST(ProcessingPassTest, FadesOfZeroBecome882FramesAtBothEnds) {
    const int32_t length = 2 * kBlock;
    const auto source = frames(
        length, [](int32_t) { return 10000; }, [](int32_t) { return -10000; });
    ProcessingSettings settings = allStages(0.0f);
    settings.trimTo(0, 0, length, length, length);
    auto pass = ProcessingPass::create(settings);
    ASSERT_TRUE(pass);
    const auto out = runPass(*pass, settings, source);
    ASSERT_EQ(out.size(), 2u * length);
    EXPECT_EQ(out[0], 0);
    EXPECT_NEAR(out[2 * 441], 5000, 2);
    EXPECT_NEAR(out[2 * 441 + 1], -5000, 2);
    EXPECT_NEAR(out[2 * 881], 9988, 2);
    EXPECT_EQ(out[2 * 882], 9999) << "full level from frame 882 on";
    EXPECT_EQ(out[2 * (length - 882)], 9999);
    EXPECT_NEAR(out[2 * (length - 441)], 5000, 2);
    EXPECT_NEAR(out[2 * (length - 1)], 11, 1) << "the last frame is one 882nd of full";
}

TEST(ProcessingPassTest, LatenciesOfTheStagesThatRunAddUp) {
    ProcessingSettings settings = allStages(0.5f);
    auto all = ProcessingPass::create(settings);
    ASSERT_TRUE(all);
    EXPECT_EQ(all->latency(), kClickLatency + kNoiseLatency + kBrillianceLatency + kLimiterLatency);
    EXPECT_TRUE(all->runs(6));
    EXPECT_TRUE(all->needsWarmUp());

    settings.enabled = {false, true, true, false, false, false};
    auto noLimiter = ProcessingPass::create(settings);
    ASSERT_TRUE(noLimiter);
    EXPECT_FALSE(noLimiter->runs(6)) << "no bass, width or brilliance: no limiter";
    EXPECT_EQ(noLimiter->latency(), kNoiseLatency);

    settings.enabled = {false, false, false, false, true, false};
    auto widthOnly = ProcessingPass::create(settings);
    ASSERT_TRUE(widthOnly);
    EXPECT_TRUE(widthOnly->runs(6));
    EXPECT_FALSE(widthOnly->needsWarmUp());
    EXPECT_EQ(widthOnly->latency(), kLimiterLatency);
}

// Every combination of the six stages: a burst lands on the same frame of the result as
// in the trimmed source (the crackle remover's 18 samples are not compensated), and the
// result is exactly as long as the title.
TEST(ProcessingPassTest, LatencyIsCompensatedToTheFrameForEveryCombination) {
    for (const CombinationResult& r : everyCombination(RestorationMode::kClassic)) {
        ASSERT_TRUE(r.made) << "stages " << r.mask;
        EXPECT_TRUE(r.wholeTitle) << "stages " << r.mask;
        const int32_t expected = (r.mask & 2) ? kCrackleLag : 0;
        EXPECT_EQ(r.lag, expected) << "stages " << r.mask;
    }
}

TEST(ProcessingPassTest, ATitleShorterThanOneBlockIsOneShortBlockAndTheFlush) {
    const int32_t length = 3000;
    const auto source = burstSource(length, 1000, 5);
    ProcessingSettings settings = allStages(0.5f);
    settings.trimTo(0, 100, length - 100, length, length);
    auto pass = ProcessingPass::create(settings);
    ASSERT_TRUE(pass);
    ASSERT_GT(pass->latency(), length) << "the whole title lies within the latency";
    const auto out = runPass(*pass, settings, source);
    ASSERT_EQ(out.size(), 2u * length);
    EXPECT_EQ(burstLag(source, out, 1000, 64), kCrackleLag);
    double energy = 0;
    for (int32_t i = 1000; i < 2323; ++i) {
        energy += static_cast<double>(out[2 * i]) * out[2 * i];
    }
    EXPECT_GT(std::sqrt(energy / 1323), 1000.0) << "the burst came through";
}

TEST(ProcessingPassTest, AnAlreadyProcessedTitleIsNeitherTrimmedNorFaded) {
    const int32_t length = kBlock + 100;
    const auto source = frames(
        length, [](int32_t) { return 8000; }, [](int32_t) { return 8000; });
    ProcessingSettings settings = allStages(0.0f);
    settings.wholeSource(length);
    auto pass = ProcessingPass::create(settings);
    ASSERT_TRUE(pass);
    const auto out = runPass(*pass, settings, source);
    ASSERT_EQ(out.size(), 2u * length);
    EXPECT_EQ(out.front(), roundTrip(8000, 0));
    EXPECT_EQ(out.back(), roundTrip(8000, 99));
}

TEST(ProcessingPassTest, RepairReportsAreEmptyForStagesThatDoNotRun) {
    ProcessingSettings settings;
    settings.values.fill(0.5f);
    settings.enabled[2] = true;
    auto pass = ProcessingPass::create(settings);
    ASSERT_TRUE(pass);
    EXPECT_EQ(pass->clickReport().repairs, 0);
    EXPECT_EQ(pass->crackleReport().samples, 0);
}

} // namespace
