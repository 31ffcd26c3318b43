// What is heard is what is written. gleam-cli play sends a worn record through the live
// chain to the virtual card; gleam-cli restore writes it through a processing run. Both
// build their stages the same way, so where nothing sets them apart the played frames,
// less the card's four buffers of silence and the chain's latency (the frames the run
// skips), are the written frames sample for sample. Two things do set them apart, by
// design: the run puts a 20 ms fade on either end of an imported title (play of a file puts
// none: there the written frames are the played ones faded), and the noise stage (the
// classic run trains it on the title before the real pass, the enhanced run's stage knows
// the noise 3 s ahead; the live stages start knowing nothing and cannot look ahead). With
// noise reduction, once the live stage has listened for kSettle, the two differ by less
// than a bound below the music (classic: -60 dB, the two have met; enhanced: -10 dB, the
// look-ahead stage smooths its gains both ways), and both take away within 1.5 dB as much.
#include "EngineTestSupport.h"
#include "EnhancedNoiseReducer.h"
#include "ProcessingPass.h"
#include "WornRecord.h"
#include "support/CliRun.h"
#include "support/TestDirs.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <ostream>

namespace {

using TestCli::cli;
using TestCli::CliRun;
using TestCli::q;

constexpr int32_t kRate = 44100;
constexpr int32_t kFrames = 14 * kRate;
constexpr int32_t kCardSilence = 4 * 32768 / 4; // the virtual card's first four buffers
constexpr int32_t kFade = ProcessingSettings::kDefaultFade;
constexpr int32_t kSettle = 4 * kRate;

struct Case {
    const char* name;
    RestorationMode mode;
    std::array<float, 6> values; // click, crackle, noise, bass, width, brilliance
    double noiseBoundDb;         // with noise reduction: live minus written, below the music
};

void PrintTo(const Case& row, std::ostream* out) {
    *out << row.name;
}

// Slider values that are exact as floats: play and restore then ask for the same stages.
const Case kCases[] = {
    {"classic", RestorationMode::kClassic, {0.5f, 0.5f, 0.0f, 0.25f, 0.75f, 0.5f}, 0.0},
    {"enhanced", RestorationMode::kEnhanced, {0.5f, 0.5f, 0.0f, 0.25f, 0.75f, 0.5f}, 0.0},
    {"classic_noise", RestorationMode::kClassic, {0.5f, 0.5f, 0.5f, 0.0f, 0.0f, 0.0f}, -60.0},
    {"enhanced_noise", RestorationMode::kEnhanced, {0.5f, 0.0f, 0.75f, 0.0f, 0.0f, 0.5f}, -10.0},
};

class PreviewRender : public ::testing::TestWithParam<Case> {
protected:
    QStringList stageOptions() const {
        static const char* const kNames[] = {"--click", "--crackle", "--noise",
                                             "--bass",  "--width",   "--brilliance"};
        QStringList out;
        for (size_t slot = 0; slot < 6; ++slot) {
            if (GetParam().values[slot] > 0.0f) {
                out << kNames[slot] << QString::number(GetParam().values[slot]);
            }
        }
        out << "--mode" << (GetParam().mode == RestorationMode::kClassic ? "classic" : "enhanced");
        return out;
    }
    // Frames the processing run skips: its stages' latency.
    int32_t runLatency() const {
        ProcessingSettings settings;
        settings.mode = GetParam().mode;
        for (size_t slot = 0; slot < 6; ++slot) {
            settings.values[slot] = GetParam().values[slot];
            settings.enabled[slot] = settings.values[slot] > 0.0f;
        }
        auto pass = ProcessingPass::create(settings);
        return pass ? pass->latency() : -1;
    }
    // The delay of the live chain, built as play builds it.
    int32_t liveLatency() const {
        ProcessorChain chain(std::make_shared<ProcessorSwitches>());
        chain.setRestorationMode(GetParam().mode);
        int32_t sum = 0;
        for (int32_t slot = 0; slot < 6; ++slot) {
            if (GetParam().values[static_cast<size_t>(slot)] > 0.0f) {
                chain.createProcessor(slot, GetParam().values[static_cast<size_t>(slot)]);
            }
        }
        // The limiter runs (and delays) only behind bass, width or brilliance.
        if (chain.hasProcessor(3) || chain.hasProcessor(4) || chain.hasProcessor(5)) {
            chain.createProcessor(ProcessorChain::kLimiterSlot, 0.0f);
        }
        for (int32_t slot = 0; slot < ProcessorChain::kSlotCount; ++slot) {
            sum += chain.latency(slot);
        }
        return sum;
    }

    TestDir dir;
};

// The power of samples [from, to) of `x`, less `minus` where given.
double power(const std::vector<int16_t>& x, size_t from, size_t to,
             const int16_t* minus = nullptr) {
    double sum = 0.0;
    for (size_t i = from; i < to; ++i) {
        const double d = x[i] - (minus ? minus[i] : 0);
        sum += d * d;
    }
    return sum;
}

TEST_P(PreviewRender, PlayedFramesAreTheWrittenOnes) {
    WornRecordOptions options;
    options.frames = kFrames;
    options.hissRms = 0.004; // -48 dBFS
    options.clicksPerSecond = 2.0;
    options.cracklesPerSecond = 40.0;
    std::vector<int16_t> worn;
    makeWornRecord(options, worn);
    const std::string in = dir.file("44100-2-16-worn.wav");
    ASSERT_TRUE(EngineTest::writeWave(in, worn));

    const std::string written = dir.file("restored.wav");
    CliRun run = cli(QStringList{"restore", "--quiet", q(in), q(written)} + stageOptions());
    ASSERT_EQ(run.code, 0) << run.err;
    const std::string played = dir.file("played.wav");
    run = cli(QStringList{"play", q(in), "--quiet"} + stageOptions(),
              {"GLEAM_AUDIO", "virtual", "GLEAM_VIRTUAL_PACE", "fast", "GLEAM_VIRTUAL_OUTPUT",
               q(played)});
    ASSERT_EQ(run.code, 0) << run.err;

    const std::vector<int16_t> render = EngineTest::readStereo16(written);
    const std::vector<int16_t> live = EngineTest::readStereo16(played);
    const int32_t shift = liveLatency();
    ASSERT_GT(shift, 0);
    const bool noise = GetParam().values[2] > 0.0f;
    // The run skips what the live chain delays, but for the enhanced noise stage's 3 s of
    // look-ahead.
    EXPECT_EQ(runLatency() - shift, noise && GetParam().mode == RestorationMode::kEnhanced
                                        ? EnhancedNoiseReducer::kLookAheadLatency
                                        : 0);
    ASSERT_EQ(render.size(), worn.size());
    // The live chain plays every source frame; the last `shift` come out of no stage.
    ASSERT_GE(live.size(), 2 * static_cast<size_t>(kCardSilence + kFrames));
    const int16_t* aligned = live.data() + 2 * static_cast<size_t>(kCardSilence + shift);
    const size_t end = 2 * static_cast<size_t>(kFrames - shift);
    if (!noise) {
        size_t differing = 0;
        size_t first = end;
        for (size_t i = 2 * kFade; i < end - 2 * kFade; ++i) {
            if (render[i] != aligned[i]) {
                ++differing;
                first = std::min(first, i);
            }
        }
        EXPECT_EQ(differing, 0u) << "first at frame " << first / 2 << " of " << end / 2;
        // In the fades, the written frames are the played ones made quieter, never louder.
        for (size_t i = 0; i < 2 * kFade; ++i) {
            ASSERT_LE(std::abs(render[i]), std::abs(aligned[i]) + 1) << "frame " << i / 2;
        }
        EXPECT_EQ(render[0], 0);
        return;
    }
    // The noise stages: measured after the live stage has listened, before the run's fade.
    const size_t from = 2 * static_cast<size_t>(kSettle);
    const size_t to = end - 2 * kFade;
    const double differenceDb =
        10.0 * std::log10(power(render, from, to, aligned) / power(render, from, to));
    EXPECT_LT(differenceDb, GetParam().noiseBoundDb);
    // Both take away alike: source minus result, within 1.5 dB of each other.
    const double removedRender = power(worn, from, to, render.data());
    const double removedLive = power(worn, from, to, aligned);
    EXPECT_NEAR(10.0 * std::log10(removedLive / removedRender), 0.0, 1.5);
}

INSTANTIATE_TEST_SUITE_P(Modes, PreviewRender, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
