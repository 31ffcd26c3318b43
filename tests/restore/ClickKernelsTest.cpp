// The click remover's kernels on their own: model, residual filter, residual levels,
// threshold curve and detection, interpolation (model and interpolation in the forms
// both modes use them).
#include "ArModel.h"
#include "ClickDetector.h"
#include "EnhancedArModel.h"
#include "LsInterpolator.h"
#include "MatchedErrorFilter.h"
#include "ResidualLevels.h"
#include "SignalTestSupport.h"

using namespace signal_test;
using S = ClickSettings;

namespace {

// An AR(2) resonance driven by noise: x[n] = 1.6 x[n−1] − 0.8 x[n−2] + v[n].
std::vector<double> resonance(int32_t count, uint32_t seed) {
    const auto drive = noise(count, 0.01, seed);
    std::vector<double> x(count, 0.0);
    for (int32_t n = 0; n < count; ++n) {
        x[n] = drive[n] + (n > 0 ? 1.6 * x[n - 1] : 0.0) - (n > 1 ? 0.8 * x[n - 2] : 0.0);
    }
    return x;
}

// Coefficients (a1, a2) of a sine of `hz`: x[n] = 2 cos ω x[n−1] − x[n−2].
std::array<double, 2> sineModel(double hz) {
    return {-2.0 * std::cos(2.0 * std::numbers::pi * hz / kRate), 1.0};
}

std::vector<double> sineWindow(double hz, double amplitude, int32_t count, double phase) {
    std::vector<double> x(count);
    for (int32_t n = 0; n < count; ++n) {
        x[n] = amplitude * std::sin(2.0 * std::numbers::pi * hz * n / kRate + phase);
    }
    return x;
}

// Σ over every error term of the window, (x[n] + Σ a_k x[n−k])², n from K on.
double errorEnergy(const std::vector<double>& x, const double* a, int32_t K) {
    double sum = 0.0;
    for (size_t n = K; n < x.size(); ++n) {
        double e = x[n];
        for (int32_t k = 1; k <= K; ++k) {
            e += a[k - 1] * x[n - k];
        }
        sum += e * e;
    }
    return sum;
}

std::array<float, S::kBlock> powers(float value) {
    std::array<float, S::kBlock> p;
    p.fill(value);
    return p;
}

} // namespace

TEST(ArModel, EveryOrderSolvesItsNormalEquations) {
    const auto x = resonance(S::kBlock, 11);
    ArModel model;
    ASSERT_TRUE(model.fit(x.data(), S::kBlock, S::kSilentPower));
    EXPECT_EQ(model.order(), ArModel::kMaxOrder);
    const double* r = model.autocorrelation();
    for (int32_t m : {1, 2, 5, 30, 79, 80}) {
        const double* a = model.coefficients(m);
        for (int32_t i = 1; i <= m; ++i) {
            double lhs = r[i];
            for (int32_t j = 1; j <= m; ++j) {
                lhs += a[j - 1] * r[std::abs(i - j)];
            }
            ASSERT_NEAR(lhs / r[0], 0.0, 1e-9) << "order " << m << " row " << i;
        }
    }
}

TEST(ArModel, FindsTheResonanceThatMadeTheBlock) {
    // From the plain autocorrelation of the block (classic) and from the Hann-windowed one
    // with the white noise correction (enhanced).
    const auto x = resonance(S::kBlock, 12);
    ArModel plain, windowed;
    ASSERT_TRUE(plain.fit(x.data(), S::kBlock, S::kSilentPower));
    const std::vector<float> samples(x.begin(), x.end());
    std::array<double, 31> r{};
    EnhancedAutocorrelation(S::kBlock, 30).compute(samples.data(), r.data(), 30);
    r[0] *= 1.000001;
    ASSERT_TRUE(windowed.solve(r.data(), S::kSilentPower, 30));
    for (const ArModel* model : {&plain, &windowed}) {
        EXPECT_NEAR(model->coefficients(2)[0], -1.6, 0.05);
        EXPECT_NEAR(model->coefficients(2)[1], 0.8, 0.05);
        // More taps predict no better than the two that made the signal, and never worse.
        EXPECT_LE(model->errorPower(30), model->errorPower(2));
        EXPECT_GT(model->errorPower(30), 0.9 * model->errorPower(2));
    }
}

TEST(ArModel, SilenceAndTheConversionOffsetGetNoModel) {
    std::vector<double> silence(S::kBlock, 0.0);
    ArModel model;
    EXPECT_FALSE(model.fit(silence.data(), S::kBlock, S::kSilentPower));
    EXPECT_FALSE(model.valid());
    for (int32_t n = 0; n < S::kBlock; ++n) {
        silence[n] = (n & 1) ? -1e-7 : 1e-7;
    }
    EXPECT_FALSE(model.fit(silence.data(), S::kBlock, S::kSilentPower));
}

TEST(ArModel, APerfectlyPredictedSignalKeepsFiniteHigherOrders) {
    const auto x = sineWindow(441.0, 0.5, S::kBlock, 0.3);
    ArModel model;
    ASSERT_TRUE(model.fit(x.data(), S::kBlock, S::kSilentPower));
    for (int32_t m = 1; m <= ArModel::kMaxOrder; ++m) {
        for (int32_t k = 0; k < m; ++k) {
            ASSERT_TRUE(std::isfinite(model.coefficients(m)[k])) << m << " " << k;
        }
        ASSERT_GE(model.errorPower(m), 0.0);
    }
}

TEST(MatchedErrorFilter, ImpulseResponseIsSymmetricAboutTheLag) {
    const std::vector<double> a = {-0.9, 0.4, 0.1};
    MatchedErrorFilter filter(3, 64);
    std::vector<float> x(64, 0.0f), power(64);
    x[10] = 1.0f;
    filter.run(a.data(), x.data(), 64, power.data());
    // Centre: (1 + Σ a²)², at the input's position plus the order.
    const double centre = 1.0 + 0.81 + 0.16 + 0.01;
    EXPECT_NEAR(power[13], centre * centre, 1e-5);
    for (int32_t d = 1; d <= 3; ++d) {
        EXPECT_NEAR(power[13 - d], power[13 + d], 1e-6) << d;
        EXPECT_GT(power[13 - d], 0.0f) << d;
    }
    EXPECT_EQ(power[9], 0.0f);
    EXPECT_EQ(power[17], 0.0f);
}

TEST(MatchedErrorFilter, MemoriesCarryAcrossBlocks) {
    const auto x = sine(700.0, 0.4, 300);
    const std::vector<double> a = {-1.2, 0.5, 0.05, -0.02};
    MatchedErrorFilter whole(4, 300), split(4, 300);
    std::vector<float> one(300), two(300);
    whole.run(a.data(), x.data(), 300, one.data());
    split.run(a.data(), x.data(), 7, two.data());
    split.run(a.data(), x.data() + 7, 293, two.data() + 7);
    EXPECT_EQ(one, two);
    split.clear();
    split.run(a.data(), x.data(), 300, two.data());
    EXPECT_EQ(one, two); // cleared memories start like new ones
}

TEST(ResidualLevels, QuantiserSpansMinus120To0Db) {
    EXPECT_EQ(ResidualLevels::levelIndex(0.0f), 0);
    EXPECT_EQ(ResidualLevels::levelIndex(1e-13f), 0);
    EXPECT_EQ(ResidualLevels::levelIndex(1.0f), S::kLevels - 1);
    EXPECT_EQ(ResidualLevels::levelIndex(10.0f), S::kLevels - 1);
    // −60 dB sits 60/120 of the way: trunc(63.5).
    EXPECT_EQ(ResidualLevels::levelIndex(1e-6f), 63);
    EXPECT_NEAR(10.0 * std::log10(ResidualLevels::levelPower(S::kLevels - 1)), 0.0, 1e-4);
    EXPECT_NEAR(10.0 * std::log10(ResidualLevels::levelPower(0)), -120.0, 1e-4);
}

TEST(ResidualLevels, AConstantQuarterGivesTheQuantileOfItsSmoothedCounts) {
    // All 256 counts at index i: the smoothed entries i−15 .. i hold 16 each, their total
    // is 256, and 3/16 of it (48) is reached after three of them.
    auto power = powers(1e-6f);
    std::array<float, ResidualLevels::kQuarters> levels{};
    ResidualLevels meter;
    meter.measure(power.data(), levels);
    const int32_t i = ResidualLevels::levelIndex(1e-6f);
    for (float level : levels) {
        EXPECT_EQ(level, ResidualLevels::levelPower(i - 15 + 3));
    }
}

TEST(ResidualLevels, AFewLoudSamplesDoNotMoveAQuartersLevel) {
    auto power = powers(1e-6f);
    std::array<float, ResidualLevels::kQuarters> quiet{}, clicked{};
    ResidualLevels meter;
    meter.measure(power.data(), quiet);
    for (int32_t n = 300; n < 320; ++n) {
        power[n] = 0.1f;
    }
    meter.measure(power.data(), clicked);
    EXPECT_EQ(quiet, clicked);
    // Each quarter stands alone: a loud quarter does not lift the others.
    std::fill(power.begin() + 512, power.begin() + 768, 1e-3f);
    meter.measure(power.data(), clicked);
    EXPECT_EQ(clicked[0], quiet[0]);
    EXPECT_EQ(clicked[3], quiet[3]);
    EXPECT_GT(clicked[2], 100.0f * quiet[2]);
}

TEST(ClickDetector, CurveHasPlateausRampsAndTheFactor) {
    const std::array<float, 4> levels = {1e-6f, 4e-6f, 2e-6f, 1e-6f};
    const float previous = 3e-6f, next = 5e-6f;
    std::array<float, S::kBlock> curve{};
    ClickDetector::thresholdCurve(levels, previous, next, 0.0f, curve.data());
    const float f = S::kCurveFactor;
    for (int32_t q = 0; q < 4; ++q) {
        for (int32_t n = 256 * q + 32; n <= 256 * q + 223; ++n) {
            ASSERT_FLOAT_EQ(curve[n], f * levels[q]) << n;
        }
    }
    // Between quarters the ramp passes the midpoint at the boundary.
    EXPECT_FLOAT_EQ(curve[256], f * 0.5f * (levels[0] + levels[1]));
    EXPECT_FLOAT_EQ(curve[224], f * levels[0]);
    EXPECT_FLOAT_EQ(curve[287], f * (levels[0] + 63.0f * (levels[1] - levels[0]) / 64.0f));
    // The block's ends head for the midpoints with the neighbours.
    EXPECT_FLOAT_EQ(curve[0], f * 0.5f * (previous + levels[0]));
    EXPECT_FLOAT_EQ(curve[31],
                    f * (0.5f * (previous + levels[0]) + 31.0f * (levels[0] - previous) / 64.0f));
    EXPECT_FLOAT_EQ(curve[1023], f * (levels[3] + 31.0f * (next - levels[3]) / 64.0f));
}

TEST(ClickDetector, FloorComesFromTheThreshold) {
    // Parameter 100 (p = 0): about −25.5 dB before the factor; parameter 0: −120 dB.
    EXPECT_NEAR(10.0 * std::log10(ClickDetector::floorFor(100.0f) / S::kCurveFactor), -25.51, 0.01);
    EXPECT_NEAR(10.0 * std::log10(ClickDetector::floorFor(0.0f) / S::kCurveFactor), -120.0, 1e-3);
    EXPECT_EQ(ClickDetector::floorFor(50.9f), ClickDetector::floorFor(50.0f)); // truncated
    EXPECT_GT(ClickDetector::floorFor(51.0f), ClickDetector::floorFor(50.0f));

    const std::array<float, 4> quiet = {1e-12f, 1e-12f, 1e-12f, 1e-12f};
    std::array<float, S::kBlock> curve{};
    ClickDetector::thresholdCurve(quiet, 1e-12f, 1e-12f, 100.0f, curve.data());
    for (float v : curve) {
        ASSERT_EQ(v, ClickDetector::floorFor(100.0f));
    }
}

TEST(ClickDetector, ARunBecomesARegionShiftedByTheLagWithMargins) {
    const auto curve = powers(1.0f);
    auto power = powers(0.5f);
    power[100] = power[101] = power[102] = 2.0f;
    std::array<ClickRegion, ClickDetector::kMaxRegions> regions{};
    ASSERT_EQ(ClickDetector::findRegions(power.data(), curve.data(), S::kBlock, regions), 1);
    EXPECT_EQ(regions[0].start, 100 - S::kResidualLag - S::kMargin);
    EXPECT_EQ(regions[0].length, 3 + S::kMargin);
    // Equal to the curve counts as under it.
    power[101] = 1.0f;
    ASSERT_EQ(ClickDetector::findRegions(power.data(), curve.data(), S::kBlock, regions), 2);
    EXPECT_EQ(regions[1].start, 102 - S::kResidualLag - S::kMargin);
    EXPECT_EQ(regions[1].length, 1 + S::kMargin);
}

TEST(ClickDetector, ARegionCoversTheSamplesItsRunSpeaksOf) {
    // Residual n is centred on sample n − kResidualLag: the region holds every such
    // sample of the run, a one-sample run included, with the margin ahead of them.
    const auto curve = powers(1.0f);
    for (int32_t length : {1, 2, 5}) {
        auto power = powers(0.0f);
        std::fill_n(power.begin() + 400, length, 2.0f);
        std::array<ClickRegion, ClickDetector::kMaxRegions> regions{};
        ASSERT_EQ(ClickDetector::findRegions(power.data(), curve.data(), S::kBlock, regions), 1);
        const int32_t first = 400 - S::kResidualLag, last = first + length - 1;
        EXPECT_EQ(regions[0].start, first - S::kMargin) << length;
        EXPECT_EQ(regions[0].start + regions[0].length - 1, last) << length;
    }
}

TEST(ClickDetector, LongRunsAreLeftAloneAndDoNotHideLaterClicks) {
    const auto curve = powers(1.0f);
    auto power = powers(0.0f);
    std::fill_n(power.begin() + 50, 250, 3.0f);
    std::fill_n(power.begin() + 600, 3, 3.0f);
    std::fill_n(power.begin() + 700, 200, 3.0f); // exactly the limit: left alone
    std::fill_n(power.begin() + 910, 2, 3.0f);
    std::array<ClickRegion, ClickDetector::kMaxRegions> regions{};
    ASSERT_EQ(ClickDetector::findRegions(power.data(), curve.data(), S::kBlock, regions), 2);
    EXPECT_EQ(regions[0].start, 600 - 34);
    EXPECT_EQ(regions[0].length, 7);
    EXPECT_EQ(regions[1].start, 910 - 34);

    std::fill_n(power.begin() + 700, 200, 0.0f);
    std::fill_n(power.begin() + 701, 199, 3.0f); // one short of the limit: treated
    ASSERT_EQ(ClickDetector::findRegions(power.data(), curve.data(), S::kBlock, regions), 3);
    EXPECT_EQ(regions[1].length, 199 + S::kMargin);
}

TEST(ClickDetector, RunsAtTheBlockEdgesAreJudgedAlike) {
    const auto curve = powers(1.0f);
    auto power = powers(0.0f);
    std::fill_n(power.begin(), 3, 2.0f);
    std::fill_n(power.begin() + S::kBlock - 5, 5, 2.0f);
    std::array<ClickRegion, ClickDetector::kMaxRegions> regions{};
    ASSERT_EQ(ClickDetector::findRegions(power.data(), curve.data(), S::kBlock, regions), 2);
    EXPECT_EQ(regions[0].start, -34); // reaches into the block before
    EXPECT_EQ(regions[0].length, 7);
    EXPECT_EQ(regions[1].start, S::kBlock - 5 - 34);
    EXPECT_EQ(regions[1].length, 9);
    // A whole block above the curve is one long run.
    const auto loud = powers(2.0f);
    EXPECT_EQ(ClickDetector::findRegions(loud.data(), curve.data(), S::kBlock, regions), 0);
}

TEST(LsInterpolator, RestoresSinesExactlyWithTheirOwnModel) {
    // One sine with its model; two with the product (1 − 2c1 z⁻¹ + z⁻²)(1 − 2c2 z⁻¹ + z⁻²)
    // over the longest gap.
    const auto p = sineModel(300.0), q = sineModel(2100.0), one = sineModel(523.0);
    const std::vector<double> two = {p[0] + q[0], 2.0 + p[0] * q[0], p[0] + q[0], 1.0};
    using Case = std::tuple<std::vector<double>, int32_t, double, double>;
    for (const auto& [a, gap, high, tolerance] :
         {Case{{one[0], one[1]}, 25, 0.0, 1e-9}, Case{two, S::kMaxGap, 0.2, 1e-6}}) {
        const auto K = static_cast<int32_t>(a.size());
        auto window = sineWindow(K == 2 ? 523.0 : 300.0, 0.4, 2 * K + gap, 0.4);
        const auto upper = sineWindow(2100.0, high, 2 * K + gap, 1.0);
        std::transform(window.begin(), window.end(), upper.begin(), window.begin(), std::plus{});
        const auto clean = window;
        std::fill(window.begin() + K, window.begin() + K + gap, 0.9);
        LsInterpolator interpolator(S::kMaxGap, S::kContextLimit);
        ASSERT_EQ(interpolator.interpolate(a.data(), K, window.data(), gap),
                  LsInterpolator::kSolved);
        for (size_t n = 0; n < window.size(); ++n) {
            ASSERT_NEAR(window[n], clean[n], tolerance) << K << " " << n;
        }
    }
}

TEST(LsInterpolator, TheUnknownsMinimiseThePredictionError) {
    // One gap, as the classic click remover fills it, and scattered unknowns in clusters,
    // as the enhanced impulse remover solves them.
    const auto x = resonance(S::kBlock, 13);
    ArModel model;
    ASSERT_TRUE(model.fit(x.data(), S::kBlock, S::kSilentPower));
    const int32_t K = 12;
    const double* a = model.coefficients(K);
    std::array<double, K + 1> rc{};
    LsInterpolator::coefficientCorrelation(a, K, rc.data());
    const std::vector<std::vector<int32_t>> cases = {
        {12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23}, {12, 15, 16, 30, 31, 40, 60}};
    for (const auto& u : cases) {
        const auto m = static_cast<int32_t>(u.size());
        std::vector<double> window(x.begin() + 500, x.begin() + 500 + u.back() + K + 1);
        for (const int32_t n : u) {
            window[n] = 0.0;
        }
        LsInterpolator interpolator(S::kMaxGap, S::kContextLimit);
        ASSERT_EQ(interpolator.solve(rc.data(), K, window.data(), u.data(), m, 0.0),
                  LsInterpolator::kSolved);
        for (int32_t i = 0; i < m; ++i) {
            window[u[i]] = interpolator.solution()[i];
        }
        const double best = errorEnergy(window, a, K);
        for (const int32_t n : u) {
            for (double step : {-1e-3, 1e-3}) {
                auto moved = window;
                moved[n] += step;
                ASSERT_GT(errorEnergy(moved, a, K), best) << m << " " << n;
            }
        }
    }
}

TEST(LsInterpolator, AFailedSolveLeavesTheWindowAsItWas) {
    LsInterpolator interpolator(S::kMaxGap, S::kContextLimit);
    std::vector<double> window(20, 0.25);
    window[7] = 0.9;
    const auto before = window;
    const std::array<double, 2> broken = {std::nan(""), 0.5};
    EXPECT_EQ(interpolator.interpolate(broken.data(), 2, window.data(), 16), -2);
    EXPECT_EQ(window, before);
    const std::array<double, 2> fine = {-1.0, 0.3};
    EXPECT_EQ(interpolator.interpolate(fine.data(), 2, window.data(), S::kMaxGap + 1),
              LsInterpolator::kSolveFailed);
    EXPECT_EQ(interpolator.interpolate(fine.data(), 0, window.data(), 4),
              LsInterpolator::kSolveFailed);
    EXPECT_EQ(window, before);
}
