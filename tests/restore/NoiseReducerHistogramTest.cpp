#include "NoiseReducerHistogram.h"
#include "NoiseReducerLevels.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

namespace {

constexpr double kStep = 100.0 / 127.0;

float powerAtDb(double db) {
    return static_cast<float>(std::pow(10.0, db / 10.0));
}

// Fills the ring with indices spread around `centre` (a bell of the given width).
void fill(NoiseReducerHistogram& histogram, double centre, double width, uint32_t seed,
          int32_t count = NoiseReducerHistogram::kRing) {
    std::mt19937 random(seed);
    std::normal_distribution<double> spread(centre, width);
    for (int32_t i = 0; i < count; ++i) {
        histogram.add(static_cast<int32_t>(std::lround(spread(random))));
    }
    histogram.finishUpdate();
}

int32_t total(const NoiseReducerHistogram& histogram) {
    int32_t sum = 0;
    for (int32_t i = 0; i < NoiseReducerHistogram::kLevels; ++i) {
        sum += histogram.count(i);
    }
    return sum;
}

} // namespace

TEST(NoiseReducerHistogram, LevelIndexSteps100Over127DbFromMinus120) {
    EXPECT_EQ(NoiseReducerHistogram::levelIndex(powerAtDb(-119.99)), 0);
    EXPECT_EQ(NoiseReducerHistogram::levelIndex(powerAtDb(-120.0 + 1.01 * kStep)), 1);
    EXPECT_EQ(NoiseReducerHistogram::levelIndex(powerAtDb(-60.0)), 76); // 60 / step = 76.2
    EXPECT_EQ(NoiseReducerHistogram::levelIndex(powerAtDb(-20.01)), 126);
    EXPECT_EQ(NoiseReducerHistogram::levelIndex(1e-15f), -25); // counts as -140 dB
    EXPECT_EQ(NoiseReducerHistogram::levelIndex(0.0f), -25);
}

TEST(NoiseReducerHistogram, TableLevelsRunFromMinus12ToMinus2InLog10Units) {
    EXPECT_DOUBLE_EQ(NoiseReducerHistogram::tableLevel(0), -12.0);
    EXPECT_DOUBLE_EQ(NoiseReducerHistogram::tableLevel(127), -2.0);
    EXPECT_NEAR(NoiseReducerHistogram::tableLevel(128), -2.0 + kStep / 10.0, 1e-12);
    // The level index of a table entry is the entry's own index.
    for (int32_t i = 1; i < 127; ++i) {
        const auto power = static_cast<float>(std::pow(10.0, NoiseReducerHistogram::tableLevel(i)));
        ASSERT_EQ(NoiseReducerHistogram::levelIndex(power * 1.0001f), i) << i;
    }
}

TEST(NoiseReducerHistogram, StartsWithTheWholeRingAtTheTopLevelAndMinus80Db) {
    NoiseReducerHistogram histogram;
    EXPECT_EQ(histogram.count(127), 8192);
    EXPECT_EQ(total(histogram), 8192);
    EXPECT_EQ(histogram.level(), -8.0);
    EXPECT_EQ(histogram.storedIndex(), 127);
    EXPECT_EQ(histogram.candidateIndex(), 127);
}

TEST(NoiseReducerHistogram, EachNewIndexPushesOutTheOldestOne) {
    NoiseReducerHistogram histogram;
    histogram.add(40);
    EXPECT_EQ(histogram.count(40), 1);
    EXPECT_EQ(histogram.count(127), 8191);
    for (int32_t i = 1; i < 8192; ++i) {
        histogram.add(40);
    }
    // The first one written has come round to the read position again.
    EXPECT_EQ(histogram.count(40), 8191);
    EXPECT_EQ(histogram.count(127), 1);
    for (int32_t i = 0; i < 8192; ++i) {
        histogram.add(60);
    }
    EXPECT_EQ(histogram.count(60), 8191);
    EXPECT_EQ(histogram.count(40), 0);
    histogram.finishUpdate();
    EXPECT_EQ(histogram.count(127), 0);
    EXPECT_EQ(total(histogram), 8191);
}

TEST(NoiseReducerHistogram, EdgeLevelsAreClearedAfterEachUpdate) {
    NoiseReducerHistogram histogram;
    for (int32_t i = 0; i < 100; ++i) {
        histogram.add(0);
    }
    histogram.finishUpdate();
    EXPECT_EQ(histogram.count(0), 0);
    EXPECT_EQ(histogram.count(127), 0);
}

TEST(NoiseReducerHistogram, AFarPeakMovesTheLevelAtOnce) {
    NoiseReducerHistogram histogram;
    fill(histogram, 30.0, 3.0, 1);
    histogram.evaluate();
    // The double smoothing centres each value one level above its index.
    EXPECT_NEAR(histogram.level(), NoiseReducerHistogram::tableLevel(29), 0.2);
    EXPECT_LE(histogram.storedIndex(), 31);
    const double level = histogram.level();
    histogram.evaluate();
    histogram.evaluate();
    EXPECT_EQ(histogram.level(), level); // nothing new: nothing moves
}

TEST(NoiseReducerHistogram, ALowerFloorIsFollowedAndANearOneApproachedByTenths) {
    NoiseReducerHistogram histogram;
    fill(histogram, 60.0, 3.0, 2);
    histogram.evaluate();
    histogram.evaluate();
    const double high = histogram.level();
    // About 2.4 dB lower (3 levels): between 1 and 4 dB, so a tenth of the way per reading.
    fill(histogram, 57.0, 3.0, 3);
    histogram.evaluate();
    const double target = NoiseReducerHistogram::tableLevel(histogram.storedIndex());
    EXPECT_LT(histogram.level(), high);
    EXPECT_GT(histogram.level(), high - 0.2);
    for (int32_t i = 0; i < 40; ++i) {
        histogram.evaluate();
    }
    EXPECT_NEAR(histogram.level(), target, 0.11);
}

TEST(NoiseReducerHistogram, ARaisedFloorIsTakenOnceTheOldOneHasLeftTheRing) {
    NoiseReducerHistogram histogram;
    fill(histogram, 40.0, 3.0, 4);
    histogram.evaluate();
    const double low = histogram.level();
    fill(histogram, 60.0, 3.0, 5, 2000); // the old floor still dominates
    histogram.evaluate();
    EXPECT_EQ(histogram.level(), low);
    fill(histogram, 60.0, 3.0, 6);
    histogram.evaluate();
    EXPECT_NEAR(histogram.level(), NoiseReducerHistogram::tableLevel(59), 0.2);
}

TEST(NoiseReducerHistogram, ALevelAboveTheMeanIsPulledDown) {
    NoiseReducerHistogram histogram;
    fill(histogram, 50.0, 3.0, 7);
    histogram.evaluate();
    histogram.limitTo(-9.0);
    EXPECT_EQ(histogram.level(), -9.0);
    EXPECT_EQ(histogram.storedIndex(), -24);
    histogram.limitTo(-5.0); // above: stays
    EXPECT_EQ(histogram.level(), -9.0);
}

TEST(NoiseReducerLevels, CountsOnlyBinsAbove1AndBelow464WithinThePowerRange) {
    NoiseReducerLevels levels;
    std::vector<float> power(512, powerAtDb(-60.0));
    power[10] = 1e-12f;  // not above the lowest power
    power[11] = 0.01f;   // not below the highest
    power[100] = 1e-13f; // too low
    levels.update(power.data());
    // Sub-band 0 counts bins 2 .. 63 less the two at the limits; sub-band 7 bins 448 .. 463.
    EXPECT_EQ(levels.subBand(0).count(76), 60);
    EXPECT_EQ(levels.subBand(1).count(76), 63);
    EXPECT_EQ(levels.subBand(3).count(76), 64);
    EXPECT_EQ(levels.subBand(7).count(76), 16);
    for (int32_t b = 0; b < 8; ++b) {
        EXPECT_EQ(levels.subBand(b).count(127), 0) << b;
    }
}

TEST(NoiseReducerLevels, SubBandsAboveTheMeanAreHeldToItAndSpreadOverTheGroups) {
    NoiseReducerLevels levels;
    std::mt19937 random(8);
    std::exponential_distribution<double> chiSquare(1.0);
    std::vector<float> power(512);
    for (int32_t frame = 0; frame < 200; ++frame) {
        for (int32_t k = 0; k < 512; ++k) {
            // Bins of sub-band 5 are 20 dB louder than the rest, at -90 dB.
            const double mean = powerAtDb(k / 64 == 5 ? -70.0 : -90.0);
            power[k] = static_cast<float>(mean * chiSquare(random));
        }
        levels.update(power.data());
    }
    levels.evaluate();
    // The noise level is the mean the levels were last held to.
    EXPECT_NEAR(levels.noiseLevelDb(), -90.0, 3.0);
    for (int32_t b = 0; b < 8; ++b) {
        EXPECT_LE(levels.level(b), levels.noiseLevelDb() / 10.0 + 1e-12) << b;
        EXPECT_NEAR(levels.level(b), -9.0, 0.3) << b;
    }
    // Each group starts from its sub-band's level, sloping toward the next one's, with the
    // slope outside the log10 scaling and a margin of exp(0.1).
    for (int32_t g = 0; g < 128; ++g) {
        const int32_t b = g / 16, j = 4 * (g % 16);
        const double slope = b < 7 ? (levels.level(b + 1) - levels.level(b)) / 64.0 : 0.0;
        const double expected = std::exp(std::log(10.0) * levels.level(b) + j * slope + 0.1);
        ASSERT_NEAR(levels.noisePower()[g], expected, 1e-6 * expected) << g;
    }
}

TEST(NoiseReducerLevels, NoisePowerIsZeroUntilTheFirstReading) {
    NoiseReducerLevels levels;
    for (int32_t g = 0; g < 128; ++g) {
        ASSERT_EQ(levels.noisePower()[g], 0.0f);
    }
    // Nothing counted (silence): the levels stay at -80 dB.
    const std::vector<float> silence(512, 0.0f);
    levels.update(silence.data());
    levels.evaluate();
    for (int32_t b = 0; b < 8; ++b) {
        EXPECT_EQ(levels.level(b), -8.0);
    }
    EXPECT_NEAR(levels.noisePower()[37], std::exp(std::log(10.0) * -8.0 + 0.1), 1e-14);
}
