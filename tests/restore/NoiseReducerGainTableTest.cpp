#include "NoiseReducerGainTable.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {

// The gain rule evaluated with the library's own Bessel functions.
double exactGain(double gammaMinusOne, double xi) {
    const double gamma = gammaMinusOne + 1.0;
    const double v = xi / (1.0 + xi) * gamma;
    return std::sqrt(std::numbers::pi / 4.0 * xi / ((1.0 + xi) * gamma)) * std::exp(-v / 2.0) *
           ((1.0 + v) * std::cyl_bessel_i(0.0, v / 2.0) + v * std::cyl_bessel_i(1.0, v / 2.0));
}

} // namespace

TEST(NoiseReducerGainTable, BesselApproximationsHoldTheirStatedAccuracyOnBothSidesOfTheBreak) {
    for (double x = 0.0; x <= 60.0; x += 0.05) {
        const double scale = std::exp(-x);
        ASSERT_NEAR(NoiseReducerGainTable::besselI0(x) * scale, std::cyl_bessel_i(0.0, x) * scale,
                    3e-7)
            << x;
        ASSERT_NEAR(NoiseReducerGainTable::besselI1(x) * scale, std::cyl_bessel_i(1.0, x) * scale,
                    3e-7)
            << x;
    }
    EXPECT_EQ(NoiseReducerGainTable::besselI0(0.0), 1.0);
    EXPECT_EQ(NoiseReducerGainTable::besselI1(0.0), 0.0);
}

TEST(NoiseReducerGainTable, GainRuleMatchesTheClosedForm) {
    for (double g : {0.01, 0.5, 1.0, 3.0, 10.0, 40.0, 100.0}) {
        for (double xi : {0.01, 0.05, 0.3, 1.0, 5.0, 30.0, 100.0}) {
            ASSERT_NEAR(NoiseReducerGainTable::mmseGain(g, xi), exactGain(g, xi),
                        1e-6 * exactGain(g, xi))
                << g << " " << xi;
        }
    }
}

TEST(NoiseReducerGainTable, EntriesAreTheRuleAtTheGridPoints) {
    const auto& table = NoiseReducerGainTable::instance();
    for (int32_t r = 0; r < 4; ++r) {
        for (int32_t i = 0; i < 65; i += 8) {
            for (int32_t j = 0; j < 65; j += 4) {
                const double x = NoiseReducerGainTable::gammaPoint(i);
                const double xi = NoiseReducerGainTable::xiPoint(r, j);
                ASSERT_NEAR(table.entry(r, i, j), exactGain(x, xi), 2e-6 * exactGain(x, xi))
                    << r << " " << i << " " << j;
            }
        }
    }
}

TEST(NoiseReducerGainTable, LookupPicksTheTableOfTheAPrioriDecadeAndStaysContinuous) {
    const auto& table = NoiseReducerGainTable::instance();
    for (double g : {0.01, 2.0, 50.0, 100.0}) {
        for (double edge : {0.1, 1.0, 10.0}) {
            EXPECT_NEAR(table.lookup(g, edge * 0.99999), table.lookup(g, edge), 1e-4)
                << g << " " << edge;
        }
    }
    // On the grid lines of the a-posteriori axis the decade edges are table points.
    for (double g : {0.01, 100.0}) {
        for (double xi : {0.01, 0.1, 1.0, 10.0, 100.0}) {
            EXPECT_NEAR(table.lookup(g, xi), exactGain(g, xi), 2e-6) << g << " " << xi;
        }
    }
}
