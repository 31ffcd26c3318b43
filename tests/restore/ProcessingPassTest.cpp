// The restoration of one title block by block: which stages run, latency compensation to
// the frame, trim and fades, the flush, titles shorter than a block, what the repair
// stages report.
#include "ProcessingPass.h"
#include "KernelTestSupport.h"
#include "ProcessingPassRun.h"

#include <cmath>

using namespace kernel_test;
using namespace TestSignals;
using namespace processing_test;

namespace {

constexpr int32_t kBlock = ProcessingPass::kBlockFrames;
constexpr int32_t kCrackleLag = 18;

ProcessingSettings allStages(float value) {
    ProcessingSettings settings;
    settings.values.fill(value);
    settings.enabled.fill(true);
    return settings;
}

TEST(ProcessingSettingsTest, TrimPointsAreKeptWithinTheSourceAndShortFadesBecome882) {
    // Fades of ten frames or less become 882; a title ends where the source does, and a
    // fade that fell off its end is a short one.
    const struct {
        int32_t a, b, c, d, sourceFrames;
        int32_t start, length, fadeIn, fadeOut;
    } rows[] = {{1000, 1000, 50000, 50000, 60000, 1000, 49000, 882, 882},
                {0, 10, 89, 100, 200, 0, 100, 882, 11},
                {100, 5000, 90000, 132300, 44100, 100, 44000, 4900, 882},
                {-5, 0, 10, 3, 1000, 0, 3, 882, 882}};
    for (const auto& row : rows) {
        ProcessingSettings settings;
        settings.trimTo(row.a, row.b, row.c, row.d, row.sourceFrames);
        EXPECT_TRUE(settings.fades);
        EXPECT_EQ(settings.start, row.start) << row.a;
        EXPECT_EQ(settings.length, row.length) << row.a;
        EXPECT_EQ(settings.fadeIn, row.fadeIn) << row.a;
        EXPECT_EQ(settings.fadeOut, row.fadeOut) << row.a;
    }
    ProcessingSettings settings;
    settings.wholeSource(777);
    EXPECT_EQ(settings.start, 0);
    EXPECT_EQ(settings.length, 777);
    EXPECT_FALSE(settings.fades);
}

TEST(ProcessingPassTest, AllSwitchesOnButValuesZeroGiveTheSourceAfterOneConversion) {
    // Trimmed and faded, and (an already processed title) neither trimmed nor faded.
    const int32_t sourceFrames = 3 * kBlock + 500;
    const auto hiss = noise(sourceFrames, 20000.0, 7);
    const auto source = frames(
        sourceFrames, [&](int32_t i) { return std::lround(hiss[i]); },
        [&](int32_t i) { return std::lround(-0.5 * hiss[i]); });
    ProcessingSettings trimmed = allStages(0.0f), whole = allStages(0.0f);
    trimmed.trimTo(300, 2300, 9000, 11000, sourceFrames);
    whole.wholeSource(sourceFrames);
    for (const ProcessingSettings& settings : {trimmed, whole}) {
        auto pass = ProcessingPass::create(settings);
        ASSERT_TRUE(pass);
        for (int32_t slot = 0; slot <= 6; ++slot) {
            EXPECT_FALSE(pass->runs(slot)) << slot;
        }
        EXPECT_EQ(pass->latency(), 0);
        EXPECT_FALSE(pass->needsWarmUp());
        const auto out = runPass(*pass, settings, source);
        ASSERT_EQ(out.size(), 2u * settings.length);
        for (int32_t i = 0; i < settings.length; ++i) {
            float gain = 1.0f;
            if (settings.fades && i <= 2000) {
                gain = std::clamp(static_cast<float>(i) * (1.0f / 2000.0f), 0.0f, 1.0f);
            } else if (settings.fades && i >= 8700) {
                gain = std::clamp(static_cast<float>(10700 - i) * (1.0f / 2000.0f), 0.0f, 1.0f);
            }
            for (int32_t c = 0; c < 2; ++c) {
                const int16_t converted =
                    roundTrip(source[2 * (settings.start + i) + c], i % kBlock);
                const auto expected = static_cast<int16_t>(converted * gain);
                ASSERT_EQ(out[2 * i + c], expected) << "frame " << i << " channel " << c;
            }
        }
    }
    EXPECT_EQ(roundTrip(1000, 0), 999) << "the conversion is not the identity";
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

// The classic noise stage learns from the first 30 blocks (2.8 s) before the real pass,
// through the click stage: what the click stage repairs there is not counted, so it
// reports as much as a pass without the noise stage, which has no warm-up.
TEST(ProcessingPassTest, RepairsMadeInTheWarmUpAreNotCounted) {
    const int32_t frames = 4 * 44100;
    const auto source = TestSignals::wornMusic16(frames, 20, 3.0, 7);
    RepairReport reports[2];
    for (const bool noise : {false, true}) {
        ProcessingSettings settings;
        settings.mode = RestorationMode::kClassic;
        settings.values = {0.5f, 0.0f, 0.5f, 0.0f, 0.0f, 0.0f};
        settings.enabled = {true, false, noise, false, false, false};
        settings.wholeSource(frames);
        auto pass = ProcessingPass::create(settings);
        ASSERT_TRUE(pass);
        ASSERT_EQ(pass->needsWarmUp(), noise);
        runPass(*pass, settings, source);
        reports[noise] = pass->clickReport();
    }
    ASSERT_GE(reports[0].repairs, 40) << "the clicks are found";
    EXPECT_NEAR(reports[1].repairs, reports[0].repairs, reports[0].repairs / 20.0);
    EXPECT_NEAR(static_cast<double>(reports[1].samples), static_cast<double>(reports[0].samples),
                reports[0].samples / 20.0);
}

} // namespace
