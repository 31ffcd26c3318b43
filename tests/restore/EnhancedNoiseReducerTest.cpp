// The enhanced noise reducer, live and in the whole-title form of processing runs: hiss and
// hum taken down beside music that keeps its level, a value whose every step takes more,
// the noise-presence guard on material without broadband noise (ticks and snares taken for
// no hiss, hiss between snare hits taken), the gain's exponential integral, the median
// across frequency, and its independence of call lengths.
#include "EnhancedNoiseReducer.h"
#include "EnhancedFrequencyMedian.h"
#include "EnhancedImpulseRemover.h"
#include "EnhancedLsaGain.h"
#include "EnhancedNoiseTracker.h"
#include "KernelTestSupport.h"
#include "NspLanes.h"

#include <string>

using namespace kernel_test;
using namespace TestSignals;

namespace {

constexpr int32_t kLatency = EnhancedNoiseReducer::kLatency;
constexpr int32_t kSecond = 44100;

// The live form, and the whole-title form of processing runs.
constexpr bool kForms[] = {false, true};

const char* formName(bool wholeTitle) {
    return wholeTitle ? "whole title" : "live";
}

// x through a fresh noise reducer at p in calls of `block`; the output aligned with x.
std::vector<float> denoised(const std::vector<float>& x, float p, int32_t block = 4096,
                            RepairReport* report = nullptr, float* presence = nullptr,
                            bool wholeTitle = false) {
    EnhancedNoiseReducer stage(wholeTitle);
    const int32_t latency = stage.latency();
    std::vector<float> padded = x;
    padded.resize(x.size() + latency, 0.0f);
    auto out = runKernel(stage, params(p), {padded, padded}, block).left;
    out.erase(out.begin(), out.begin() + latency);
    if (report) {
        *report = stage.report();
    }
    if (presence) {
        *presence = stage.channel(0).tracker().presence();
    }
    return out;
}

TEST(EnhancedLsaGainTest, ExponentialIntegralMatchesKnownValuesAndItsHalfExpItsDefinition) {
    EXPECT_NEAR(EnhancedLsaGain::exponentialIntegral(0.1f), 1.8229240f, 1e-4);
    EXPECT_NEAR(EnhancedLsaGain::exponentialIntegral(1.0f), 0.2193839f, 1e-4);
    EXPECT_NEAR(EnhancedLsaGain::exponentialIntegral(2.0f), 0.0489005f, 1e-5);
    EXPECT_NEAR(EnhancedLsaGain::exponentialIntegral(5.0f), 0.0011483f, 1e-6);
    for (const float v : {1e-6f, 0.01f, 0.3f, 0.99f, 1.0f, 1.5f, 4.0f, 12.0f, 30.0f}) {
        const double expected = std::exp(0.5 * EnhancedLsaGain::exponentialIntegral(v));
        EXPECT_NEAR(EnhancedLsaGain::halfExpIntegralExp(v), expected, 1e-4 * expected) << v;
    }
}

TEST(EnhancedNoiseTrackerTest, MedianAcrossFrequencyMatchesASortedWindow) {
    constexpr int32_t kBins = EnhancedNoiseSettings::kBins;
    constexpr int32_t kHalf = EnhancedNoiseSettings::kMedianHalfWidth;
    for (const bool wide : {false, true}) {
        nspAllowWideLanes(wide);
        std::mt19937 random(wide ? 3 : 4);
        std::uniform_int_distribution<int32_t> level(0, 40); // many equal values
        std::vector<float> estimate(kBins + 2 * kHalf + 32);
        for (float& e : estimate) {
            e = static_cast<float>(level(random)) * 0.25f;
        }
        std::vector<float> smoothed(kBins + 16, -1.0f);
        EnhancedFrequencyMedian::apply(estimate.data(), smoothed.data());
        for (int32_t k = EnhancedNoiseSettings::kMedianFromBin; k < kBins; ++k) {
            std::vector<float> window(estimate.begin() + k, estimate.begin() + k + 2 * kHalf + 1);
            std::nth_element(window.begin(), window.begin() + kHalf, window.end());
            ASSERT_EQ(smoothed[k], window[kHalf]) << k << (wide ? " wide" : " narrow");
        }
    }
    nspAllowWideLanes(true);
}

TEST(EnhancedNoiseReducerTest, UnchangedAtPZeroButLate) {
    std::vector<float> x = musicMix(2 * kSecond, 3);
    add(x, hiss(2 * kSecond, -50.0, 4));
    const auto out = denoised(x, 0.0f, 1000);
    for (int32_t n = 0; n < 2 * kSecond; ++n) {
        ASSERT_NEAR(out[n], x[n], 2e-6f) << n;
    }
}

TEST(EnhancedNoiseReducerTest, LowersHissAndAHumLineBy12dBBesideASineThatKeepsItsLevel) {
    const int32_t count = 8 * kSecond;
    std::vector<float> x = sine(1000.0, 0.25, count);
    const double humAmplitude = std::sqrt(2.0) * std::pow(10.0, -40.0 / 20.0); // -40 dBFS RMS
    add(x, sine(50.0, humAmplitude, count));
    add(x, hiss(count, -50.0, 5));
    const auto out = denoised(x, 1.0f);
    // Measured after the estimate has settled (2 s).
    const int32_t from = 2 * kSecond;
    const int32_t span = count - from - kSecond;
    EXPECT_LE(changeDb(bandPower(out, from, span, 2000.0, 16000.0),
                       bandPower(x, from, span, 2000.0, 16000.0)),
              -12.0);
    EXPECT_LE(dB(toneAmplitude(out.data() + from, span, 50.0) / humAmplitude), -12.0);
    EXPECT_NEAR(dB(toneAmplitude(out.data() + from, span, 1000.0) / 0.25), 0.0, 1.0);
}

// The level of each band and each second of `out` against `music`: the largest change
// in dB where the music is (a band holding at least 1/1000 of the second's power) and is
// not buried under `damage`, and where it is.
std::pair<double, std::string> largestLevelChange(const std::vector<float>& music,
                                                  const std::vector<float>& out,
                                                  const std::vector<float>* damage = nullptr) {
    const double bands[][2] = {{20, 200},    {200, 500},   {500, 1000},  {1000, 2000},
                               {2000, 4000}, {4000, 8000}, {8000, 16000}};
    std::pair<double, std::string> largest{0.0, ""};
    for (int32_t from = 0; from + kSecond <= static_cast<int32_t>(music.size()); from += kSecond) {
        const double total = bandPower(music, from, kSecond, 20.0, 20000.0);
        for (const auto& band : bands) {
            const double before = bandPower(music, from, kSecond, band[0], band[1]);
            if (before < 1e-3 * total || before < 1e-9 ||
                (damage && bandPower(*damage, from, kSecond, band[0], band[1]) > 0.1 * before)) {
                continue; // digital silence, nothing in this band, or mostly damage
            }
            const double change =
                std::fabs(changeDb(bandPower(out, from, kSecond, band[0], band[1]), before));
            if (change > largest.first) {
                largest = {change, "in second " + std::to_string(from / kSecond) + " from " +
                                       std::to_string(static_cast<int>(band[0])) + " Hz"};
            }
        }
    }
    return largest;
}

// Drums with a snare and struck notes: music whose noise-like bursts come and go.
std::vector<float> snareMusic(int32_t count, uint32_t seed) {
    std::vector<float> x = musicMix(count, seed, 0.3, 0.0, true);
    add(x, noteMusic(count, seed + 2, 0.05));
    return x;
}

TEST(EnhancedNoiseReducerTest, GuardLeavesMaterialWithoutHissAlone) {
    struct Case {
        std::string what;
        std::vector<float> x;
        std::vector<float> music; // where the rest is damage, not music
        float presence;
    };
    std::vector<Case> cases;
    // Clean music with digital silence between two pieces.
    std::vector<float> pieces = musicMix(12 * kSecond, 8, 0.3, 0.0, false);
    std::fill(pieces.begin() + 5 * kSecond, pieces.begin() + 7 * kSecond, 0.0f);
    cases.push_back({"pieces", pieces, {}, 0.05f});
    const int32_t count = 10 * kSecond;
    for (const uint32_t seed : {31u, 32u, 33u}) {
        // Dense ticks are broadband but not hiss: the noise stage leaves them (and the
        // music beside them) to the crackle stage.
        std::vector<float> music = musicMix(count, seed, 0.3, 0.0, false);
        add(music, noteMusic(count, seed + 1));
        const auto x = withTicks(music, 600.0, 0.05, seed + 2, 2048).dirty;
        cases.push_back({"crackle " + std::to_string(seed), x, music, 0.3f});
        cases.push_back(
            {"snare " + std::to_string(seed + 10), snareMusic(count, seed + 10), {}, 0.3f});
    }
    for (Case& c : cases) {
        quantise(c.x); // as 16-bit audio
        std::vector<float> damage = c.x;
        for (size_t n = 0; n < c.music.size(); ++n) {
            damage[n] -= c.music[n];
        }
        for (const bool form : kForms) {
            float presence = 1.0f;
            const auto out = denoised(c.x, 1.0f, 4096, nullptr, &presence, form);
            const auto [db, where] =
                largestLevelChange(c.x, out, c.music.empty() ? nullptr : &damage);
            EXPECT_LT(db, 0.5) << c.what << " " << formName(form) << " " << where;
            EXPECT_LT(presence, c.presence) << c.what << " " << formName(form);
        }
    }
}

TEST(EnhancedNoiseReducerTest, LowersHissBetweenSnareHits) {
    const int32_t count = 10 * kSecond;
    constexpr int32_t kPiece = 4096;
    for (const uint32_t seed : {51u, 52u, 53u}) {
        // Tones and a drum, and a snare-like instrument about three times a second.
        std::vector<float> music = musicMix(count, seed, 0.3, 0.0, false);
        const std::vector<float> snare = snareHits(count, seed + 1, 3.0, 0.15);
        add(music, snare);
        const std::vector<float> noise = hiss(count, -50.0, seed + 3);
        std::vector<float> x = music;
        add(x, noise);
        for (const bool form : kForms) {
            float presence = 0.0f;
            const auto out = denoised(x, 1.0f, 4096, nullptr, &presence, form);
            EXPECT_GT(presence, 0.7f) << seed; // the hits hide the floor now and then
            // What is left of the hiss (and what became of the music) in the pieces where
            // the snare lies under the hiss, after the estimate has settled.
            std::vector<float> left = out;
            for (size_t n = 0; n < out.size(); ++n) {
                left[n] -= music[n];
            }
            double before = 0.0, after = 0.0;
            int32_t gaps = 0;
            for (int32_t at = 3 * kSecond; at + kPiece <= count - kSecond; at += kPiece) {
                const double hissPower = bandPower(noise, at, kPiece, 2000.0, 16000.0);
                if (bandPower(snare, at, kPiece, 2000.0, 16000.0) < 0.1 * hissPower) {
                    before += hissPower;
                    after += bandPower(left, at, kPiece, 2000.0, 16000.0);
                    ++gaps;
                }
            }
            ASSERT_GT(gaps, 5) << seed;
            EXPECT_LE(changeDb(after, before), -10.0) << seed << " " << formName(form);
        }
    }
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

TEST(EnhancedNoiseReducerTest, ResultsDoNotDependOnTheCallLengthOrTheLaneWidth) {
    std::vector<float> x = snareMusic(3 * kSecond, 13);
    add(x, hiss(3 * kSecond, -45.0, 14));
    for (const bool form : kForms) {
        const auto whole = denoised(x, 0.6f, 16384, nullptr, nullptr, form);
        for (const int32_t block : {1, 511, 512, 4096, 9999}) {
            EXPECT_EQ(denoised(x, 0.6f, block, nullptr, nullptr, form), whole)
                << block << " " << formName(form);
        }
        nspAllowWideLanes(false);
        EXPECT_EQ(denoised(x, 0.6f, 4096, nullptr, nullptr, form), whole) << formName(form);
        nspAllowWideLanes(true);
    }
}

TEST(EnhancedNoiseReducerTest, EveryStepOfTheValueTakesMoreHiss) {
    // Hiss alone: the whole title in the whole-title form, and its first second as much,
    // from the third second live.
    const int32_t count = 8 * kSecond;
    std::vector<float> x = hiss(count, -50.0, 18);
    quantise(x);
    for (const bool form : kForms) {
        const int32_t from = form ? 0 : 3 * kSecond;
        const double before = bandPower(x, from, count - from, 20.0, 20000.0);
        double last = 0.0;
        for (const float p : {0.2f, 0.4f, 0.6f, 0.8f, 1.0f}) {
            const auto out = denoised(x, p, 4096, nullptr, nullptr, form);
            const double removed =
                -changeDb(bandPower(out, from, count - from, 20.0, 20000.0), before);
            EXPECT_GE(removed, last + 2.0) << formName(form) << " at " << p;
            if (form) { // from the first frame of the title on
                EXPECT_NEAR(-changeDb(bandPower(out, 0, kSecond, 20.0, 20000.0),
                                      bandPower(x, 0, kSecond, 20.0, 20000.0)),
                            removed, 1.0)
                    << "first second at " << p;
            }
            // Never below the floor the value sets.
            EXPECT_LE(removed, EnhancedNoiseSettings::kFloorDb * p + 0.5)
                << formName(form) << " at " << p;
            last = removed;
        }
    }
}

TEST(EnhancedNoiseReducerTest, MusicKeepsItsLevelAtTheStrongestValue) {
    // Struck notes and drums under hiss at about 30 dB SNR.
    const int32_t count = 8 * kSecond;
    std::vector<float> music = musicMix(count, 19, 0.3, 0.0, false);
    add(music, noteMusic(count, 20));
    const std::vector<float> noise = hiss(count, -55.0, 21);
    std::vector<float> x = music;
    add(x, noise);
    for (const bool form : kForms) {
        const auto out = denoised(x, 1.0f, 4096, nullptr, nullptr, form);
        const auto [db, where] = largestLevelChange(music, out, &noise);
        EXPECT_LT(db, 1.5) << formName(form) << " " << where;
    }
}

} // namespace
