// The click remover's kernels on their own: model, residual levels, threshold curve and
// detection, interpolation (model and interpolation in the forms both modes use them; the
// residual filter against its direct form in KernelEquivalenceTest).
#include "ArModel.h"
#include "ClickDetector.h"
#include "EnhancedArModel.h"
#include "KernelTestSupport.h"
#include "LsInterpolator.h"
#include "ResidualLevels.h"

using namespace kernel_test;
using namespace TestSignals;
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

TEST(ClickDetector, CurveFollowsTheQuarterLevelsTimesTheFactorAndStopsAtTheFloor) {
    const std::array<float, 4> levels = {1e-6f, 4e-6f, 2e-6f, 1e-6f};
    const float previous = 3e-6f, next = 5e-6f, f = S::kCurveFactor;
    std::array<float, S::kBlock> curve{};
    ClickDetector::thresholdCurve(levels, previous, next, 0.0f, curve.data());
    for (int32_t q = 0; q < 4; ++q) {
        for (int32_t n = 256 * q + 32; n <= 256 * q + 223; ++n) {
            ASSERT_FLOAT_EQ(curve[n], f * levels[q]) << n;
        }
    }
    // Between quarters, and towards the neighbouring blocks, the ramps pass the midpoints.
    EXPECT_FLOAT_EQ(curve[256], f * 0.5f * (levels[0] + levels[1]));
    EXPECT_FLOAT_EQ(curve[0], f * 0.5f * (previous + levels[0]));
    // The floor: parameter 100 (p = 0) about −25.5 dB before the factor, 0 −120 dB.
    EXPECT_NEAR(10.0 * std::log10(ClickDetector::floorFor(100.0f) / f), -25.51, 0.01);
    EXPECT_NEAR(10.0 * std::log10(ClickDetector::floorFor(0.0f) / f), -120.0, 1e-3);
    const std::array<float, 4> quiet = {1e-12f, 1e-12f, 1e-12f, 1e-12f};
    ClickDetector::thresholdCurve(quiet, 1e-12f, 1e-12f, 100.0f, curve.data());
    for (float v : curve) {
        ASSERT_EQ(v, ClickDetector::floorFor(100.0f));
    }
}

TEST(ClickDetector, RunsAboveTheCurveBecomeRegionsShiftedByTheLagWithMargins) {
    // Residual n is centred on sample n − kResidualLag: a region holds every such sample
    // of its run, a one-sample run included, with the margin ahead of them. A residual
    // equal to the curve counts as under it; runs of 200 or more are left alone without
    // hiding later ones; runs at the block's edges are judged alike.
    constexpr int32_t L = S::kResidualLag + S::kMargin, M = S::kMargin;
    struct Row {
        std::vector<ClickRegion> runs; // start and length of each run above the curve
        std::vector<ClickRegion> regions;
    };
    const Row rows[] = {
        {{{100, 3}}, {{100 - L, 3 + M}}},
        {{{100, 1}, {102, 1}}, {{100 - L, 1 + M}, {102 - L, 1 + M}}},
        {{{400, 2}}, {{400 - L, 2 + M}}},
        {{{400, 5}}, {{400 - L, 5 + M}}},
        {{{50, 250}, {600, 3}, {700, 200}, {910, 2}}, {{600 - L, 3 + M}, {910 - L, 2 + M}}},
        {{{701, 199}}, {{701 - L, 199 + M}}},
        {{{0, 3}, {S::kBlock - 5, 5}}, {{-L, 3 + M}, {S::kBlock - 5 - L, 5 + M}}},
        {{{0, S::kBlock}}, {}},
    };
    const auto curve = powers(1.0f);
    for (const Row& row : rows) {
        auto power = powers(1.0f);
        for (const ClickRegion& run : row.runs) {
            std::fill_n(power.begin() + run.start, run.length, 3.0f);
        }
        std::array<ClickRegion, ClickDetector::kMaxRegions> regions{};
        const int32_t found =
            ClickDetector::findRegions(power.data(), curve.data(), S::kBlock, regions);
        ASSERT_EQ(found, static_cast<int32_t>(row.regions.size())) << row.runs[0].start;
        for (int32_t r = 0; r < found; ++r) {
            EXPECT_EQ(regions[r].start, row.regions[r].start) << row.runs[0].start;
            EXPECT_EQ(regions[r].length, row.regions[r].length) << row.runs[0].start;
        }
    }
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
