#include "NspLibrary.h"
#include "NspFftPlanner.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int kN = kNspFftSize;

std::vector<float> randomFrame(uint32_t seed) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> uniform(-1.0f, 1.0f);
    std::vector<float> frame(kNspCcsLength, 0.0f);
    for (int i = 0; i < kN; ++i) {
        frame[i] = uniform(random);
    }
    return frame;
}

// Bin k of the DFT of x[0 .. N), in double.
std::pair<double, double> dft(const std::vector<float>& x, int k) {
    double re = 0, im = 0;
    for (int n = 0; n < kN; ++n) {
        const double w = 2.0 * std::numbers::pi * k * n / kN;
        re += x[n] * std::cos(w);
        im -= x[n] * std::sin(w);
    }
    return {re, im};
}

struct NspFixture : ::testing::Test {
    void SetUp() override { ASSERT_TRUE(nspInitialise()); }
};

} // namespace

TEST_F(NspFixture, ForwardGivesBothSpectraInTheCcsLayoutAndInverseTheFramesBack) {
    const auto x = randomFrame(1), y = randomFrame(2);
    auto fx = x, fy = y;
    ASSERT_TRUE(nspsReal2Fft(fx.data(), fy.data(), kNspFftOrder, kNspForward));
    for (int k : {0, 1, 7, 100, 511, 512}) {
        const auto [xr, xi] = dft(x, k);
        const auto [yr, yi] = dft(y, k);
        EXPECT_NEAR(fx[2 * k], xr, 1e-3) << k;
        EXPECT_NEAR(fx[2 * k + 1], xi, 1e-3) << k;
        EXPECT_NEAR(fy[2 * k], yr, 1e-3) << k;
        EXPECT_NEAR(fy[2 * k + 1], yi, 1e-3) << k;
    }
    EXPECT_EQ(fx[1], 0.0f);           // DC has no imaginary part
    EXPECT_EQ(fx[2 * 512 + 1], 0.0f); // nor has the Nyquist bin
    ASSERT_TRUE(nspsCcs2Fft(fx.data(), fy.data(), kNspFftOrder, kNspInverse));
    for (int i = 0; i < kN; ++i) {
        ASSERT_NEAR(fx[i], x[i], 1e-6) << i;
        ASSERT_NEAR(fy[i], y[i], 1e-6) << i;
    }
}

TEST_F(NspFixture, ArraysOfAnyAlignmentGiveTheSameSpectra) {
    const auto x = randomFrame(5);
    std::vector<float> shifted(kNspCcsLength + 1);
    std::copy(x.begin(), x.end(), shifted.begin() + 1);
    auto aligned = x, other = x;
    ASSERT_TRUE(nspsReal2Fft(aligned.data(), other.data(), kNspFftOrder, kNspForward));
    ASSERT_TRUE(nspsReal2Fft(shifted.data() + 1, other.data(), kNspFftOrder, kNspForward));
    for (int i = 0; i < kNspCcsLength; ++i) {
        ASSERT_NEAR(shifted[i + 1], aligned[i], 1e-4) << i;
    }
}

TEST_F(NspFixture, RefusesOtherOrdersAndDirectionsAndAfterShutdown) {
    auto x = randomFrame(6), y = randomFrame(7);
    const auto before = x;
    EXPECT_FALSE(nspsReal2Fft(x.data(), y.data(), 9, kNspForward));
    EXPECT_FALSE(nspsReal2Fft(x.data(), y.data(), kNspFftOrder, kNspInverse));
    EXPECT_FALSE(nspsCcs2Fft(x.data(), y.data(), kNspFftOrder, kNspForward));
    EXPECT_EQ(x, before);
    nspShutdown();
    EXPECT_FALSE(nspsReal2Fft(x.data(), y.data(), kNspFftOrder, kNspForward));
    ASSERT_TRUE(nspInitialise());
    EXPECT_TRUE(nspInitialise()); // again: nothing to do
    EXPECT_TRUE(nspsReal2Fft(x.data(), y.data(), kNspFftOrder, kNspForward));
}

TEST_F(NspFixture, ThreadsMayTransformAtTheSameTime) {
    const auto x = randomFrame(10);
    auto expected = x, spare = x;
    ASSERT_TRUE(nspsReal2Fft(expected.data(), spare.data(), kNspFftOrder, kNspForward));
    auto work = [&](bool* same) {
        *same = true;
        for (int i = 0; i < 500; ++i) {
            auto a = x, b = x;
            nspsReal2Fft(a.data(), b.data(), kNspFftOrder, kNspForward);
            *same = *same && a == expected && b == expected;
        }
    };
    bool first = false, second = false;
    std::thread one(work, &first), two(work, &second);
    one.join();
    two.join();
    EXPECT_TRUE(first);
    EXPECT_TRUE(second);
}

// Thresh1 and the normal autocorrelation against plain loops: KernelEquivalenceTest.
TEST(NspVector, LogarithmThresholdsAndNormalize) {
    std::vector<float> v = {1.0f, static_cast<float>(std::numbers::e), 0.5f};
    nspsbLn1(v.data(), 3);
    EXPECT_FLOAT_EQ(v[0], 0.0f);
    EXPECT_FLOAT_EQ(v[1], 1.0f);
    EXPECT_FLOAT_EQ(v[2], std::log(0.5f));

    const std::vector<float> src = {-2, 0, 2};
    std::vector<float> dst(3);
    nspsbThresh2(src.data(), dst.data(), 3, 0.0f, kNspLessThan);
    EXPECT_EQ(dst, (std::vector<float>{0, 0, 2}));

    nspsbNormalize(src.data(), dst.data(), 3, 1.0f, 4.0f);
    EXPECT_EQ(dst, (std::vector<float>{-0.75f, -0.25f, 0.25f}));
}

TEST(NspVector, FloatToIntRoundsTruncatesAndSaturates) {
    const std::vector<float> src = {1.5f, -1.5f, 2.7f, -2.7f, 3e9f, -3e9f, NAN};
    std::vector<int32_t> dst(src.size());
    ASSERT_TRUE(nspsbFloatToInt(src.data(), dst.data(), 7, 32, kNspTruncZero));
    EXPECT_EQ(dst, (std::vector<int32_t>{1, -1, 2, -2, INT32_MAX, INT32_MIN, 0}));
    ASSERT_TRUE(nspsbFloatToInt(src.data(), dst.data(), 4, 32, 0));
    EXPECT_EQ(dst[0], 2); // to nearest, ties to even
    EXPECT_EQ(dst[1], -2);
    EXPECT_EQ(dst[2], 3);
    EXPECT_EQ(dst[3], -3);
    EXPECT_FALSE(nspsbFloatToInt(src.data(), dst.data(), 4, 16, 0));
}

TEST(NspVector, MaximumAndMinimum) {
    const std::vector<float> v = {0.25f, -0.75f, 0.5f, -0.1f};
    EXPECT_EQ(nspsMax(v.data(), 4), 0.5f);
    EXPECT_EQ(nspsMin(v.data(), 4), -0.75f);
    EXPECT_LT(nspsMax(v.data(), 0), -1e30f);
    EXPECT_GT(nspsMin(v.data(), 0), 1e30f);
}

TEST(NspVector, BiasedAutocorrelationDividesByTheLength) {
    const std::vector<double> x = {1, 2, 3};
    std::vector<double> r(4, -1.0);
    nspdAutoCorr(x.data(), 3, r.data(), 2, kNspAutoCorrBiased);
    EXPECT_DOUBLE_EQ(r[0], 14.0 / 3.0);
    EXPECT_DOUBLE_EQ(r[1], 8.0 / 3.0);
}

// The carried wisdom is FFTW's own text, headed by the version that made it: with that
// version it must load, or every plan falls back to the slower estimated ones.
TEST(NspFftPlanner, CarriedWisdomLoadsWithTheFftwThatMadeIt) {
    const std::string wisdom = nsp_planner::carriedWisdom();
    ASSERT_FALSE(wisdom.empty());
    const std::string madeBy = wisdom.substr(1, wisdom.find(' ') - 1); // "(fftw-3.3.10 ..."
    if (std::string(fftwf_version).rfind(madeBy + "-", 0) != 0) {
        GTEST_SKIP() << "wisdom made by " << madeBy << ", running " << fftwf_version;
    }
    EXPECT_TRUE(nsp_planner::wisdomLoaded());
}
