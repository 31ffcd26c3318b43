// The EBU R128 meter agrees with ffmpeg's on music under hiss, clicks and rumble; the
// limited gain stage keeps its ceiling without changing length or depending on the block
// size; the gains bring titles, or an album as a whole, to the target.
#include "LoudnessLimiter.h"
#include "LoudnessMeter.h"
#include "LoudnessTarget.h"
#include "ProjectTestSupport.h"
#include "WornRecord.h"

#include "support/FfmpegLoudness.h"
#include "support/TestDirs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// A worn record: `peak` music (0: the damage alone) under hiss of `hiss` RMS.
std::vector<int16_t> record(double seconds, double peak, double hiss, uint32_t seed) {
    WornRecordOptions options;
    options.frames = static_cast<int32_t>(seconds * 44100.0);
    options.musicPeak = peak;
    options.hissRms = hiss;
    options.rumbleRms = hiss / 2.0;
    options.seed = seed;
    std::vector<int16_t> samples;
    makeWornRecord(options, samples);
    return samples;
}

LoudnessMeter measured(const std::vector<int16_t>& samples) {
    LoudnessMeter meter;
    meter.add(samples.data(), static_cast<int32_t>(samples.size() / 2));
    return meter;
}

TEST(LoudnessMeter, AgreesWithFfmpeg) {
    TestDir dir;
    const struct {
        double peak;
        double hiss;
    } rows[] = {{0.9, 0.003}, {0.3, 0.01}, {0.03, 0.002}, {0.0, 0.01}};
    for (const auto& row : rows) {
        const auto samples = record(12.0, row.peak, row.hiss, 3);
        const std::string path = dir.file("side.wav");
        ProjectTest::writeWaveSamples(path, samples);
        const auto theirs = FfmpegLoudness::measure({path});
        ASSERT_TRUE(theirs);
        const LoudnessMeter ours = measured(samples);
        ASSERT_TRUE(ours.integrated());
        EXPECT_NEAR(*ours.integrated(), theirs->integrated, 0.1) << row.peak;
        // Oversampled differently (4× here, to 192 kHz there): clicks read some tenths apart.
        EXPECT_NEAR(ours.truePeakDb(), theirs->truePeakDb, 0.3) << row.peak;
    }
}

TEST(LoudnessMeter, SilenceHasNoLoudnessAndAlbumsJoinTheirTitles) {
    const std::vector<int16_t> silence(2 * 44100 * 3, 0);
    EXPECT_FALSE(measured(silence).integrated());
    // Two titles as one programme: as their frames measured in one go, but for the few
    // 400 ms blocks that span the join there.
    const auto a = record(8.0, 0.6, 0.005, 1);
    const auto b = record(8.0, 0.1, 0.005, 2);
    std::vector<int16_t> both = a;
    both.insert(both.end(), b.begin(), b.end());
    const LoudnessMeter ma = measured(a);
    const LoudnessMeter mb = measured(b);
    ASSERT_TRUE(LoudnessMeter::integrated({&ma, &mb}));
    EXPECT_NEAR(*LoudnessMeter::integrated({&ma, &mb}), *measured(both).integrated(), 0.2);
}

// Runs `in` through the stage in blocks of `block` frames.
std::vector<float> limited(const std::vector<float>& in, double gainDb, double ceilingDb,
                           int32_t block) {
    LoudnessLimiter stage(gainDb, ceilingDb);
    std::vector<float> out(in.size() + 2 * LoudnessLimiter::kHeld);
    int32_t written = 0;
    const auto frames = static_cast<int32_t>(in.size() / 2);
    for (int32_t at = 0; at < frames; at += block) {
        const int32_t n = std::min(block, frames - at);
        written += stage.process(in.data() + 2 * at, n, out.data() + 2 * written);
    }
    written += stage.flush(out.data() + 2 * written);
    out.resize(2 * static_cast<size_t>(written));
    return out;
}

TEST(LoudnessLimiter, KeepsTheCeilingLengthAndBlockSizeIndependence) {
    const auto samples = record(6.0, 0.9, 0.01, 5);
    std::vector<float> in(samples.size());
    std::transform(samples.begin(), samples.end(), in.begin(),
                   [](int16_t s) { return s / 32768.0f; });
    const double peak = std::abs(*std::max_element(
        in.begin(), in.end(), [](float a, float b) { return std::abs(a) < std::abs(b); }));
    const struct {
        double gainDb;
        double ceilingDb;
    } rows[] = {{12.0, -1.5}, {0.0, -1.5}, {-12.0, -1.5}};
    for (const auto& row : rows) {
        const auto whole = limited(in, row.gainDb, row.ceilingDb, 4096);
        ASSERT_EQ(whole.size(), in.size());
        EXPECT_EQ(limited(in, row.gainDb, row.ceilingDb, 777), whole);
        EXPECT_EQ(limited(in, row.gainDb, row.ceilingDb, 50), whole);
        const double ceiling = std::pow(10.0, row.ceilingDb / 20.0);
        const double gain = std::pow(10.0, row.gainDb / 20.0);
        for (size_t i = 0; i < whole.size(); ++i) {
            ASSERT_LE(std::abs(whole[i]), ceiling * 1.0001) << i;
        }
        if (peak * gain < ceiling) {
            // Nothing to limit: the gain alone, frame for frame.
            for (size_t i = 0; i < whole.size(); ++i) {
                ASSERT_NEAR(whole[i], in[i] * gain, 1e-6) << i;
            }
        }
    }
}

TEST(LoudnessTarget, BringsEachTitleOrTheAlbumAsAWhole) {
    const auto loud = record(8.0, 0.8, 0.005, 7);
    const auto soft = record(8.0, 0.1, 0.005, 8);
    const std::vector<int16_t> silence(2 * 44100 * 8, 0);
    const LoudnessMeter a = measured(loud);
    const LoudnessMeter b = measured(soft);
    const LoudnessMeter s = measured(silence);
    const LoudnessTarget track{-16.0, false};
    const auto each = track.gains({&a, &b, &s});
    EXPECT_NEAR(each[0], -16.0 - *a.integrated(), 1e-9);
    EXPECT_NEAR(each[1], -16.0 - *b.integrated(), 1e-9);
    EXPECT_EQ(each[2], 0.0);
    const LoudnessTarget album{-16.0, true};
    const auto one = album.gains({&a, &b, &s});
    EXPECT_EQ(one[0], one[1]);
    EXPECT_EQ(one[1], one[2]);
    EXPECT_NEAR(one[0], -16.0 - *LoudnessMeter::integrated({&a, &b}), 1e-9);
}

} // namespace
