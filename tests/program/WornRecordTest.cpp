// The demonstration's worn record: clicks where it says and apart from each other, and the
// same frames for the same seed.
#include "WornRecord.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

constexpr int32_t kRate = 44100;

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
