#include "NoiseReducerHistogram.h"
#include "NoiseReducerLevels.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

namespace {

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

} // namespace

TEST(NoiseReducerHistogram, ANearLowerFloorIsApproachedByTenthsAndAFarOneTakenAtOnce) {
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
    // The double smoothing centres each value one level above its index.
    fill(histogram, 30.0, 3.0, 1);
    histogram.evaluate();
    EXPECT_NEAR(histogram.level(), NoiseReducerHistogram::tableLevel(29), 0.2);
    const double level = histogram.level();
    histogram.evaluate();
    EXPECT_EQ(histogram.level(), level); // nothing new: nothing moves
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

TEST(NoiseReducerLevels, ASubBandLouderThanTheRestIsHeldToTheirMean) {
    // Music in one band must not lift the noise estimate there.
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
    EXPECT_NEAR(levels.noiseLevelDb(), -90.0, 3.0);
    for (int32_t b = 0; b < 8; ++b) {
        EXPECT_NEAR(levels.level(b), -9.0, 0.3) << b;
    }
    EXPECT_NEAR(10.0 * std::log10(levels.noisePower()[5 * 16 + 3]), -90.0, 3.0);
}
