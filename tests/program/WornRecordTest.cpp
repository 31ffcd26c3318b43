// The demonstration's worn record: music that is really there, hiss at its level, clicks
// where it says and apart from each other, and the same frames for the same seed.
#include "WornRecord.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace {

constexpr int32_t kRate = 44100;

double rms(const std::vector<int16_t>& samples) {
    double sum = 0.0;
    for (int16_t s : samples) {
        sum += static_cast<double>(s) * s;
    }
    return std::sqrt(sum / static_cast<double>(samples.size())) / 32768.0;
}

// The largest jump between neighbouring samples of one channel from `from` to `to`.
int32_t largestStep(const std::vector<int16_t>& samples, int channel, int32_t from, int32_t to) {
    int32_t largest = 0;
    for (int32_t i = std::max(from, 1); i < to; ++i) {
        largest = std::max(largest, std::abs(samples[static_cast<size_t>(i) * 2 + channel] -
                                             samples[static_cast<size_t>(i - 1) * 2 + channel]));
    }
    return largest;
}

WornRecordOptions quiet(int32_t frames) {
    WornRecordOptions options;
    options.frames = frames;
    options.clicksPerSecond = 0.0;
    options.cracklesPerSecond = 0.0;
    options.hissRms = 0.0;
    return options;
}

// The music alone and the music with one kind of damage that `damage` switches on.
struct Pair {
    std::vector<int16_t> clean;
    std::vector<int16_t> damaged;
    WornRecordDamage damage;
};

Pair cleanAndDamaged(int32_t frames, void (*damage)(WornRecordOptions&)) {
    Pair pair;
    WornRecordOptions options = quiet(frames);
    makeWornRecord(options, pair.clean);
    damage(options);
    pair.damage = makeWornRecord(options, pair.damaged);
    return pair;
}

} // namespace

TEST(WornRecord, SameSeedSameFramesOtherSeedOtherDamage) {
    WornRecordOptions options;
    options.frames = 3 * kRate;
    std::vector<int16_t> a;
    std::vector<int16_t> b;
    const WornRecordDamage first = makeWornRecord(options, a);
    const WornRecordDamage again = makeWornRecord(options, b);
    EXPECT_EQ(a, b);
    EXPECT_EQ(first.clickFrames, again.clickFrames);
    options.seed = 2;
    const WornRecordDamage other = makeWornRecord(options, b);
    EXPECT_NE(a, b);
    EXPECT_NE(first.clickFrames, other.clickFrames);
    EXPECT_EQ(a.size(), static_cast<size_t>(options.frames) * 2);
    // Too short for clicks: none.
    options.frames = 3000;
    EXPECT_TRUE(makeWornRecord(options, a).clickFrames.empty());
    EXPECT_EQ(a.size(), 6000u);
    options.frames = 0;
    makeWornRecord(options, a);
    EXPECT_TRUE(a.empty());
}

TEST(WornRecord, MusicAloneIsSmoothAndStaysBelowFullScale) {
    std::vector<int16_t> samples;
    const WornRecordDamage damage = makeWornRecord(quiet(8 * kRate), samples);
    EXPECT_TRUE(damage.clickFrames.empty());
    EXPECT_EQ(damage.crackles, 0);
    const double level = rms(samples);
    EXPECT_GT(level, 0.05) << "the music is there";
    const auto peak = std::abs(*std::max_element(
        samples.begin(), samples.end(), [](auto x, auto y) { return std::abs(x) < std::abs(y); }));
    EXPECT_LT(peak, 0.6 * 32768) << "room left for the damage";
    // The highest overtone (3 × 392 Hz) moves at most 2π·f/rate of full scale per sample.
    EXPECT_LT(largestStep(samples, 0, 0, 8 * kRate), 0.06 * 32768);
    EXPECT_LT(largestStep(samples, 1, 0, 8 * kRate), 0.06 * 32768);
    // The two channels differ (a stereo recording, not mono twice).
    EXPECT_NE(samples[1000 * 2], samples[1000 * 2 + 1]);
}

TEST(WornRecord, ClicksAreWhereItSaysOnBothChannelsAndApart) {
    const int32_t frames = 10 * kRate;
    const Pair pair =
        cleanAndDamaged(frames, [](WornRecordOptions& o) { o.clicksPerSecond = 3.0; });
    const WornRecordDamage& damage = pair.damage;
    ASSERT_EQ(damage.clickFrames.size(), 30u);
    EXPECT_TRUE(std::is_sorted(damage.clickFrames.begin(), damage.clickFrames.end()));
    EXPECT_GE(damage.clickFrames.front(), kWornRecordClickSpacing);
    EXPECT_LE(damage.clickFrames.back(), frames - kWornRecordClickSpacing);
    for (size_t k = 1; k < damage.clickFrames.size(); ++k) {
        EXPECT_GE(damage.clickFrames[k] - damage.clickFrames[k - 1], kWornRecordClickSpacing);
    }
    // Every click is a jump of at least 0.3 of full scale on both channels; elsewhere the
    // audio is the clean music, sample for sample.
    std::vector<bool> near(static_cast<size_t>(frames), false);
    for (int32_t start : damage.clickFrames) {
        for (int channel = 0; channel < 2; ++channel) {
            EXPECT_GT(largestStep(pair.damaged, channel, start, start + 8), 0.3 * 32768) << start;
        }
        std::fill(near.begin() + start, near.begin() + start + 6, true);
    }
    for (int32_t i = 0; i < frames; ++i) {
        if (!near[static_cast<size_t>(i)]) {
            ASSERT_EQ(pair.damaged[static_cast<size_t>(i) * 2],
                      pair.clean[static_cast<size_t>(i) * 2])
                << i;
        }
    }
}

// Hiss at its level; crackle is many faint ticks of one or two samples (a few may share a
// place).
TEST(WornRecord, HissHasItsLevelAndCrackleIsManyFaintTicks) {
    const Pair hissed = cleanAndDamaged(4 * kRate, [](WornRecordOptions& o) { o.hissRms = 0.01; });
    std::vector<int16_t> difference(hissed.clean.size());
    for (size_t i = 0; i < hissed.clean.size(); ++i) {
        difference[i] = static_cast<int16_t>(hissed.damaged[i] - hissed.clean[i]);
    }
    EXPECT_NEAR(rms(difference), 0.01, 0.0005);

    const Pair crackled =
        cleanAndDamaged(2 * kRate, [](WornRecordOptions& o) { o.cracklesPerSecond = 60.0; });
    EXPECT_EQ(crackled.damage.crackles, 120);
    int32_t changed = 0;
    int32_t loudest = 0;
    for (size_t i = 0; i < crackled.clean.size(); ++i) {
        const int32_t d = std::abs(crackled.damaged[i] - crackled.clean[i]);
        changed += d > 0 ? 1 : 0;
        loudest = std::max(loudest, d);
    }
    EXPECT_GE(changed, 100);
    EXPECT_LE(changed, 240);
    EXPECT_LE(loudest, static_cast<int32_t>(0.4 * 32768));
    EXPECT_GE(loudest, static_cast<int32_t>(0.05 * 32768));
}
