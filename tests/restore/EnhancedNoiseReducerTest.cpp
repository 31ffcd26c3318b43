// The enhanced noise reducer: hiss and hum taken down beside music that keeps its level,
// the noise-presence guard on material without broadband noise, its gain kernel, and its
// independence of call lengths.
#include "EnhancedNoiseReducer.h"
#include "EnhancedImpulseRemover.h"
#include "EnhancedLsaGain.h"
#include "EnhancedNoiseTracker.h"
#include "EnhancedSignals.h"

using namespace signal_test;
using namespace enhanced_test;

namespace {

constexpr int32_t kLatency = EnhancedNoiseReducer::kLatency;
constexpr int32_t kSecond = 44100;

// x through a fresh noise reducer at p in calls of `block`; the output aligned with x.
std::vector<float> denoised(const std::vector<float>& x, float p, int32_t block = 4096,
                            RepairReport* report = nullptr, float* presence = nullptr) {
    EnhancedNoiseReducer stage;
    std::vector<float> padded = x;
    padded.resize(x.size() + kLatency, 0.0f);
    auto out = runKernel(stage, params(p), stereo(padded), block).left;
    out.erase(out.begin(), out.begin() + kLatency);
    if (report) {
        *report = stage.report();
    }
    if (presence) {
        *presence = stage.channel(0).tracker().presence();
    }
    return out;
}

TEST(EnhancedLsaGainTest, ExponentialIntegralMatchesKnownValues) {
    EXPECT_NEAR(EnhancedLsaGain::exponentialIntegral(0.1f), 1.8229240f, 1e-4);
    EXPECT_NEAR(EnhancedLsaGain::exponentialIntegral(1.0f), 0.2193839f, 1e-4);
    EXPECT_NEAR(EnhancedLsaGain::exponentialIntegral(2.0f), 0.0489005f, 1e-5);
    EXPECT_NEAR(EnhancedLsaGain::exponentialIntegral(5.0f), 0.0011483f, 1e-6);
}

TEST(EnhancedLsaGainTest, HalfExpIntegralExpMatchesItsDefinition) {
    for (const float v : {1e-6f, 0.01f, 0.3f, 0.99f, 1.0f, 1.5f, 4.0f, 12.0f, 30.0f}) {
        const double expected = std::exp(0.5 * EnhancedLsaGain::exponentialIntegral(v));
        EXPECT_NEAR(EnhancedLsaGain::halfExpIntegralExp(v), expected, 1e-4 * expected) << v;
    }
}

TEST(EnhancedLsaGainTest, GainRisesWithTheSnrAndStopsAtTheFloor) {
    constexpr int32_t kBins = EnhancedNoiseSettings::kBins;
    EnhancedLsaGain gain;
    std::vector<float> power(kBins), noise(kBins, 1.0f), g(kBins);
    for (int32_t k = 0; k < kBins; ++k) {
        power[k] = static_cast<float>(std::pow(10.0, (k % 50) / 10.0 - 1.0)); // -10 .. +39 dB
    }
    for (int32_t frame = 0; frame < 20; ++frame) {
        gain.compute(power.data(), noise.data(), 0.1f, g.data());
    }
    // From the noise level up the gain rises; at and below it, the floor holds.
    for (int32_t k = 11; k < 50; ++k) {
        EXPECT_GE(g[k] + 1e-6f, g[k - 1]) << k;
    }
    for (int32_t k = 0; k <= 10; ++k) {
        EXPECT_GE(g[k], 0.1f);
        EXPECT_LT(g[k], 0.2f) << k;
    }
    EXPECT_GT(g[49], 0.99f);
}

TEST(EnhancedNoiseTrackerTest, EstimateOfWhiteNoiseIsFlatAndNearItsPower) {
    // White noise of variance s2 has the mean bin power s2 × sum(w^2) = s2 × 1024.
    constexpr int32_t kBins = EnhancedNoiseSettings::kBins;
    EnhancedNoiseTracker tracker;
    std::mt19937 random(9);
    std::exponential_distribution<float> power(1.0f);
    std::vector<float> frame(kBins), noise(kBins);
    for (int32_t f = 0; f < 300; ++f) {
        for (float& p : frame) {
            p = power(random); // the periodogram of white noise: exponential, mean 1
        }
        tracker.update(frame.data(), noise.data());
    }
    EXPECT_GT(tracker.presence(), 0.99f);
    for (int32_t k = EnhancedNoiseSettings::kMedianFromBin; k < kBins; ++k) {
        ASSERT_GT(noise[k], 0.6f) << k;
        ASSERT_LT(noise[k], 1.6f) << k;
    }
}

TEST(EnhancedNoiseReducerTest, UnchangedAtPZeroButLate) {
    std::vector<float> x = musicMix(2 * kSecond, 3);
    add(x, hiss(2 * kSecond, -50.0, 4));
    const auto out = denoised(x, 0.0f, 1000);
    for (int32_t n = 0; n < 2 * kSecond; ++n) {
        ASSERT_NEAR(out[n], x[n], 2e-6f) << n;
    }
}

TEST(EnhancedNoiseReducerTest, LowersHissBy12dBBesideASineThatKeepsItsLevel) {
    const int32_t count = 8 * kSecond;
    const std::vector<float> tone = sine(1000.0, 0.25, count);
    const std::vector<float> noise = hiss(count, -50.0, 5);
    std::vector<float> x = tone;
    add(x, noise);
    const auto out = denoised(x, 1.0f);
    // Measured after the estimate has settled (2 s).
    const int32_t from = 2 * kSecond;
    const int32_t span = count - from - kSecond;
    const double hissBefore = bandPower(x, from, span, 2000.0, 16000.0);
    const double hissAfter = bandPower(out, from, span, 2000.0, 16000.0);
    EXPECT_LE(powerDb(hissAfter, hissBefore), -12.0);
    const double toneBefore = toneAmplitude(x.data() + from, span, 1000.0);
    const double toneAfter = toneAmplitude(out.data() + from, span, 1000.0);
    EXPECT_NEAR(dB(toneAfter / toneBefore), 0.0, 1.0);
}

TEST(EnhancedNoiseReducerTest, LowersAHumLineBy12dB) {
    const int32_t count = 8 * kSecond;
    std::vector<float> x = sine(1000.0, 0.25, count);
    const double humAmplitude = std::sqrt(2.0) * std::pow(10.0, -40.0 / 20.0); // -40 dBFS RMS
    add(x, sine(50.0, humAmplitude, count));
    add(x, hiss(count, -60.0, 6));
    const auto out = denoised(x, 1.0f);
    const int32_t from = 2 * kSecond;
    const int32_t span = count - from - kSecond;
    EXPECT_LE(dB(toneAmplitude(out.data() + from, span, 50.0) / humAmplitude), -12.0);
    EXPECT_NEAR(dB(toneAmplitude(out.data() + from, span, 1000.0) / 0.25), 0.0, 1.0);
}

// The level of each band and each second of `out` against `music`: the largest change
// in dB where the music is (a band holding at least 1/1000 of the second's power) and is
// not buried under `damage`.
struct LevelChange {
    double db = 0.0;
    int32_t second = -1;
    double band = 0.0;
};

LevelChange largestLevelChange(const std::vector<float>& music, const std::vector<float>& out,
                               const std::vector<float>* damage = nullptr) {
    const double bands[][2] = {{20, 200},    {200, 500},   {500, 1000},  {1000, 2000},
                               {2000, 4000}, {4000, 8000}, {8000, 16000}};
    LevelChange largest;
    for (int32_t from = 0; from + kSecond <= static_cast<int32_t>(music.size()); from += kSecond) {
        const double total = bandPower(music, from, kSecond, 20.0, 20000.0);
        for (const auto& band : bands) {
            const double before = bandPower(music, from, kSecond, band[0], band[1]);
            if (before < 1e-3 * total || before < 1e-9 ||
                (damage && bandPower(*damage, from, kSecond, band[0], band[1]) > 0.1 * before)) {
                continue; // digital silence, nothing in this band, or mostly damage
            }
            const double change =
                std::fabs(powerDb(bandPower(out, from, kSecond, band[0], band[1]), before));
            if (change > largest.db) {
                largest = {change, from / kSecond, band[0]};
            }
        }
    }
    return largest;
}

std::ostream& operator<<(std::ostream& os, const LevelChange& c) {
    return os << c.db << " dB in second " << c.second << " from " << c.band << " Hz";
}

TEST(EnhancedNoiseReducerTest, GuardLeavesMusicWithoutNoiseAlone) {
    // Clean music with digital silence between two pieces, as 16-bit audio.
    const int32_t count = 12 * kSecond;
    std::vector<float> x = musicMix(count, 8, 0.3, 0.0, false);
    std::fill(x.begin() + 5 * kSecond, x.begin() + 7 * kSecond, 0.0f);
    quantise(x);
    float presence = 1.0f;
    const auto out = denoised(x, 1.0f, 4096, nullptr, &presence);
    const LevelChange change = largestLevelChange(x, out);
    EXPECT_LT(change.db, 0.5) << change;
    EXPECT_LT(presence, 0.05f);
}

TEST(EnhancedNoiseReducerTest, GuardFindsHissUnderMusic) {
    const int32_t count = 8 * kSecond;
    // Tones and drums without a noise of their own (a snare under the hiss would hide it:
    // the guard then leaves everything alone).
    std::vector<float> x = musicMix(count, 16, 0.3, 0.0, false);
    add(x, hiss(count, -55.0, 17));
    quantise(x);
    float presence = 0.0f;
    const auto out = denoised(x, 1.0f, 4096, nullptr, &presence);
    EXPECT_GT(presence, 0.9f);
    const int32_t from = 3 * kSecond;
    EXPECT_LE(powerDb(bandPower(out, from, 4 * kSecond, 8000, 16000),
                      bandPower(x, from, 4 * kSecond, 8000, 16000)),
              -10.0);
}

TEST(EnhancedNoiseReducerTest, ReportsTheHopsItLowered) {
    const int32_t count = 4 * kSecond;
    RepairReport withNoise;
    denoised(hiss(count, -50.0, 12), 0.5f, 4096, &withNoise);
    EXPECT_GT(withNoise.repairs, 0);
    EXPECT_GT(withNoise.samples, count); // most samples of both channels
    std::vector<float> clean = sine(440.0, 0.3, count);
    quantise(clean);
    RepairReport without;
    denoised(clean, 0.5f, 4096, &without);
    EXPECT_EQ(without.repairs, 0);
}

TEST(EnhancedNoiseReducerTest, ResultsDoNotDependOnTheCallLength) {
    std::vector<float> x = musicMix(3 * kSecond, 13);
    add(x, hiss(3 * kSecond, -45.0, 14));
    const auto whole = denoised(x, 0.6f, 16384);
    for (const int32_t block : {1, 511, 512, 4096, 9999}) {
        EXPECT_EQ(denoised(x, 0.6f, block), whole) << block;
    }
}

TEST(EnhancedNoiseReducerTest, RestartKeepsTheEstimateButNotTheSignal) {
    std::vector<float> x = hiss(3 * kSecond, -50.0, 15);
    EnhancedNoiseReducer stage;
    runKernel(stage, params(1.0f), stereo(x), 4096);
    const float presence = stage.channel(0).tracker().presence();
    EXPECT_GT(presence, 0.9f);
    stage.restart();
    EXPECT_EQ(stage.channel(0).tracker().presence(), presence);
    // After the restart the stage lags as a fresh one: next to nothing first (the gains
    // of the first frames spread a little of the new audio over the whole frame).
    const auto out = runKernel(stage, params(1.0f), stereo(x), 4096).left;
    for (int32_t n = 0; n < kLatency; ++n) {
        ASSERT_NEAR(out[n], 0.0f, 3e-4f) << n; // a tenth of the hiss's RMS
    }
    // ... and the hiss is lowered from the first hop on.
    EXPECT_LT(bandPower(out, kLatency, 8192, 2000, 16000),
              0.1 * bandPower(x, 0, 8192, 2000, 16000));
}

} // namespace
