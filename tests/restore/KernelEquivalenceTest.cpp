// The fast forms of the repair kernels (and the noise reducer's envelopes) against plain
// sample-by-sample references: the lanes, tiles, chunks and interleaved channels must give exactly
// the same bits, at every length that leaves a remainder.
#include "AdaptivePredictor.h"
#include "ArModel.h"
#include "ClickSettings.h"
#include "CrackleDetector.h"
#include "CrackleFade.h"
#include "CrackleRemover.h"
#include "KernelTestSupport.h"
#include "MatchedErrorFilter.h"
#include "NoiseReducerEnvelope.h"
#include "NspLanes.h"
#include "NspLibrary.h"
#include "SelectionMedian.h"

#include <array>
#include <cstring>
#include <limits>

using namespace kernel_test;
using namespace TestSignals;

namespace {

using C = CrackleSettings;

bool sameBits(const float* a, const float* b, size_t count) {
    return count == 0 || std::memcmp(a, b, count * sizeof(float)) == 0;
}

bool sameBits(const std::vector<float>& a, const std::vector<float>& b) {
    return a.size() == b.size() && sameBits(a.data(), b.data(), a.size());
}

std::vector<double> doubles(const std::vector<float>& x) {
    return {x.begin(), x.end()};
}

// Noise with every fifth sample a large impulse, so predictors and fades have work.
std::vector<float> crackly(int32_t count, uint32_t seed) {
    auto x = noise(count, 0.05, seed);
    const auto tone = sine(523.0, 0.3, count);
    for (int32_t n = 0; n < count; ++n) {
        x[n] += tone[n] + (n % 97 == 5 ? 0.6f : 0.0f);
    }
    return x;
}

// The predictor as first written: scalar dot products and a ring of weight sets.
struct ReferencePredictor {
    std::array<std::array<float, C::kOrder>, C::kWeightDelay + 1> ring{};
    int32_t current = 0;

    float adapt(const float* h, float target) {
        const float* w = ring[current].data();
        const float error = target - AdaptivePredictor::dot<C::kOrder>(w, h);
        float power = AdaptivePredictor::dot<C::kOrder>(h, h);
        if (power < C::kPowerFloor) {
            power = 1.0f;
        }
        const float gain = C::kStep * error / power;
        const int32_t next = (current + 1) % static_cast<int32_t>(ring.size());
        for (int32_t i = 0; i < C::kOrder; ++i) {
            const float v = C::kLeakage * w[i] + gain * h[i];
            ring[next][i] = v < C::kWeightFloor ? C::kWeightFloor : v;
        }
        current = next;
        return error;
    }
    const float* weights() const { return ring[current].data(); }
    const float* delayedWeights() const { return ring[(current + 1) % ring.size()].data(); }
};

// The crackle remover's channel as first written: one sample at a time, the substitute
// always made.
struct ReferenceCrackle {
    ReferencePredictor predictor;
    CrackleDetector detector;
    CrackleFade fade;
    std::vector<float> input = std::vector<float>(C::kOrder, 0.0f);   // x(t−1) first
    std::vector<float> outputs = std::vector<float>(C::kOrder, 0.0f); // o(t−1) first

    float step(float x, float threshold) {
        const float* h = input.data();
        const float target = h[C::kDelay - 1];
        const float repaired = h[C::kLag - 1];
        const float error = predictor.adapt(h, target);
        const float* wd = predictor.delayedWeights();
        const float substitute = AdaptivePredictor::dot<8>(wd, h + C::kDelay) +
                                 AdaptivePredictor::dot<10>(wd + 8, outputs.data());
        input.insert(input.begin(), x);
        input.pop_back();
        const bool detected = detector.ratio(error) > threshold;
        const float m = fade.step(detected);
        const float o = m * repaired + (1.0f - m) * substitute;
        outputs.insert(outputs.begin(), o);
        outputs.pop_back();
        return o;
    }
};

} // namespace

// Runs a check with the two-double lanes and, where the processor has them, the wide ones.
template <class Check> void withEveryLaneWidth(Check check) {
    for (bool wide : {false, true}) {
        nspAllowWideLanes(wide);
        check(wide);
    }
    nspAllowWideLanes(true);
}

TEST(NspAutoCorr, EveryGroupingOfLagsSumsAsOneLagAtATime) {
    const auto x = doubles(noise(1024, 0.5, 7));
    withEveryLaneWidth([&](bool wide) {
        for (int length : {1, 5, 37, 1024}) {
            for (int lags : {1, 2, 3, 5, 13, 33, 81}) {
                std::vector<double> fast(lags, -1.0), plain(lags, 0.0);
                nspdAutoCorr(x.data(), length, fast.data(), lags, kNspAutoCorrNormal);
                for (int k = 0; k < lags; ++k) {
                    for (int n = 0; n + k < length; ++n) {
                        plain[k] += x[n] * x[n + k];
                    }
                }
                ASSERT_EQ(std::memcmp(fast.data(), plain.data(), lags * sizeof(double)), 0)
                    << length << " samples, " << lags << " lags, wide " << wide;
            }
        }
    });
}

TEST(NspVector, ElementWiseFunctionsMatchOneElementAtATime) {
    auto a = noise(1031, 1.0, 8), b = noise(1031, 1.0, 9);
    a[3] = std::numeric_limits<float>::quiet_NaN();
    for (int length : {0, 1, 7, 1031}) {
        std::vector<float> fast(length), plain(length);
        nspsbMpy3(a.data(), b.data(), fast.data(), length);
        for (int i = 0; i < length; ++i) {
            plain[i] = a[i] * b[i];
        }
        EXPECT_TRUE(sameBits(fast, plain)) << "mpy3 " << length;

        nspsbSub3(a.data(), b.data(), fast.data(), length);
        for (int i = 0; i < length; ++i) {
            plain[i] = a[i] - b[i];
        }
        EXPECT_TRUE(sameBits(fast, plain)) << "sub3 " << length;

        std::copy_n(a.begin(), length, fast.begin());
        nspsbMpy2(b.data(), fast.data(), length); // in place
        nspsbMpy1(0.3f, fast.data(), length);
        for (int i = 0; i < length; ++i) {
            plain[i] = a[i] * b[i] * 0.3f;
        }
        EXPECT_TRUE(sameBits(fast, plain)) << "mpy2, mpy1 " << length;

        for (int relation : {kNspLessThan, kNspGreaterThan}) {
            std::copy_n(a.begin(), length, fast.begin());
            nspsbThresh1(fast.data(), length, 0.25f, relation);
            for (int i = 0; i < length; ++i) {
                const bool beyond = relation == kNspLessThan ? a[i] < 0.25f : a[i] > 0.25f;
                plain[i] = beyond ? 0.25f : a[i]; // a NaN stays
            }
            EXPECT_TRUE(sameBits(fast, plain)) << "thresh " << relation << " " << length;
        }
    }
}

TEST(MatchedErrorFilter, TilesGiveTheDirectFormsBits) {
    const auto x = noise(1024 + 37 + 5, 0.4, 10);
    const auto model = doubles(noise(1024, 0.3, 11));
    ArModel ar;
    ASSERT_TRUE(ar.fit(model.data(), 1024, ClickSettings::kSilentPower, 30));
    const double* a = ar.coefficients(30);
    const int32_t p = 30;
    std::vector<float> fast(x.size()), narrow(x.size());
    withEveryLaneWidth([&](bool wide) {
        MatchedErrorFilter filter(p, 1024);
        int32_t at = 0;
        for (int32_t block : {1024, 37, 5}) {
            filter.run(a, x.data() + at, block, (wide ? fast : narrow).data() + at);
            at += block;
        }
        // Cleared, it starts like a new one.
        std::vector<float> again(37);
        filter.clear();
        filter.run(a, x.data(), 37, again.data());
        EXPECT_TRUE(sameBits(again.data(), (wide ? fast : narrow).data(), 37));
    });
    // The two passes sample by sample, each tap added in order of delay.
    std::vector<double> err(x.size(), 0.0);
    std::vector<float> plain(x.size());
    for (size_t n = 0; n < x.size(); ++n) {
        double e = x[n];
        for (int32_t k = 1; k <= p; ++k) {
            e += n >= static_cast<size_t>(k) ? a[k - 1] * static_cast<double>(x[n - k]) : 0.0;
        }
        err[n] = e;
        double o = a[p - 1] * e;
        for (int32_t k = 1; k <= p; ++k) {
            const double c = k == p ? 1.0 : a[p - k - 1];
            o += n >= static_cast<size_t>(k) ? c * err[n - k] : 0.0;
        }
        plain[n] = static_cast<float>(o * o);
    }
    EXPECT_TRUE(sameBits(fast, plain));
    EXPECT_TRUE(sameBits(narrow, plain));
}

TEST(ArModel, TheLowOrdersAloneMatchTheFullSolution) {
    const auto x = doubles(noise(1024, 0.3, 12));
    ArModel full, low;
    ASSERT_TRUE(full.fit(x.data(), 1024, ClickSettings::kSilentPower));
    ASSERT_TRUE(low.fit(x.data(), 1024, ClickSettings::kSilentPower, ClickSettings::kSolvedOrder));
    EXPECT_EQ(full.order(), ArModel::kMaxOrder);
    EXPECT_EQ(low.order(), ClickSettings::kSolvedOrder);
    for (int32_t m = 1; m <= ClickSettings::kSolvedOrder; ++m) {
        ASSERT_EQ(std::memcmp(full.coefficients(m), low.coefficients(m), m * sizeof(double)), 0)
            << m;
        ASSERT_EQ(full.errorPower(m), low.errorPower(m)) << m;
    }
}

TEST(AdaptivePredictor, TwoChunkedPredictorsMatchUpdatesOneAtATime) {
    // Histories laid out newest first: the window of update t starts at newest − t.
    const auto left = noise(600, 0.5, 14), right = crackly(600, 15);
    AdaptivePredictor fast[2], single[2];
    ReferencePredictor plain[2];
    AdaptivePredictor* both[2] = {&fast[0], &fast[1]};
    int32_t done = 0;
    for (int32_t chunk : {128, 7, 128, 100, 128, 60}) {
        const int32_t top = 599 - C::kOrder - done;
        const float* newest[2] = {left.data() + top, right.data() + top};
        std::vector<float> power[2], error[2];
        for (int32_t c = 0; c < 2; ++c) {
            power[c].resize(chunk);
            error[c].resize(chunk);
            AdaptivePredictor::powers(newest[c], chunk, power[c].data());
            for (int32_t t = 0; t < chunk; ++t) {
                ASSERT_EQ(power[c][t], AdaptivePredictor::power(newest[c] - t)) << done + t;
            }
        }
        const float* powers[2] = {power[0].data(), power[1].data()};
        float* errors[2] = {error[0].data(), error[1].data()};
        AdaptivePredictor::adaptChunk<2>(both, newest, C::kDelay - 1, powers, chunk, errors);
        for (int32_t t = 0; t < chunk; ++t) {
            for (int32_t c = 0; c < 2; ++c) {
                const float* h = newest[c] - t;
                const float expected = plain[c].adapt(h, h[C::kDelay - 1]);
                ASSERT_EQ(expected, error[c][t]) << done + t;
                ASSERT_EQ(single[c].adapt(h, h[C::kDelay - 1]), expected) << done + t;
            }
        }
        for (int32_t c = 0; c < 2; ++c) {
            ASSERT_TRUE(sameBits(plain[c].weights(), fast[c].weights(), C::kOrder));
            ASSERT_TRUE(sameBits(plain[c].weights(), single[c].weights(), C::kOrder));
            ASSERT_TRUE(sameBits(plain[c].delayedWeights(), fast[c].delayedWeights(), C::kOrder));
            ASSERT_TRUE(sameBits(plain[c].delayedWeights(), fast[c].delayedWeightsAfter(chunk - 1),
                                 C::kOrder));
        }
        done += chunk;
    }
    std::vector<float> quiet(40, 1e-4f);
    EXPECT_EQ(AdaptivePredictor::power(quiet.data()), 1.0f); // under the floor
}

TEST(CrackleRemover, ChunkedStereoMatchesTheSampleBySampleChannel) {
    const auto left = crackly(5000, 16), right = crackly(5000, 17);
    for (float value : {0.3f, 0.9f}) {
        const float threshold = CrackleRemover::thresholdFor(value);
        ReferenceCrackle plain[2];
        std::vector<float> expected[2] = {std::vector<float>(5000), std::vector<float>(5000)};
        for (int32_t n = 0; n < 5000; ++n) {
            expected[0][n] = plain[0].step(left[n], threshold);
            expected[1][n] = plain[1].step(right[n], threshold);
        }
        // Stereo and mono, in place, in calls that split the chunks unevenly.
        CrackleRemover stereo, mono;
        std::vector<float> l = left, r = right, m = right;
        int32_t at = 0;
        for (int32_t count : {1, 300, 4096, 603}) {
            float* lr[2] = {l.data() + at, r.data() + at};
            stereo.process(params(value, 2), lr, lr, count);
            float* only[2] = {m.data() + at, m.data() + at};
            mono.process(params(value, 1), only, only, count);
            at += count;
        }
        EXPECT_TRUE(sameBits(l, expected[0])) << value;
        EXPECT_TRUE(sameBits(r, expected[1])) << value;
        EXPECT_TRUE(sameBits(m, expected[1])) << value;
        EXPECT_GT(stereo.report().repairs, 0) << value;
    }
}

TEST(NoiseReducerEnvelope, APairFollowsAsEachAlone) {
    const auto x = crackly(4096, 18), y = sine(80.0, 0.7, 4096);
    constexpr int32_t kHop = 256;
    NoiseReducerEnvelope first(kHop), second(kHop),
        alone[2] = {NoiseReducerEnvelope(kHop), NoiseReducerEnvelope(kHop)};
    for (int32_t at = 0; at < 4096; at += kHop) {
        NoiseReducerEnvelope::adaptPair(first, second, x.data() + at, y.data() + at, kHop);
        alone[0].adapt(x.data() + at, kHop);
        alone[1].adapt(y.data() + at, kHop);
        for (const auto& [pair, single] : {std::pair{&first, &alone[0]}, {&second, &alone[1]}}) {
            ASSERT_EQ(pair->slow(), single->slow()) << at;
            ASSERT_EQ(pair->fast(), single->fast()) << at;
            ASSERT_EQ(pair->attack(), single->attack()) << at;
            ASSERT_EQ(pair->release(), single->release()) << at;
        }
    }
    EXPECT_NE(first.attackMs(), second.attackMs()); // the channels did differ
}

TEST(SelectionMedian, MedianMagnitudeIsExactForAnyCountAndTies) {
    std::mt19937 random(6);
    std::normal_distribution<float> value(0.0f, 0.01f);
    std::vector<uint32_t> scratch(2 * 300);
    for (const int32_t count : {1, 2, 3, 16, 17, 255, 256, 300}) {
        for (const int32_t kind : {0, 1, 2}) {
            std::vector<float> x(static_cast<size_t>(count));
            for (int32_t i = 0; i < count; ++i) {
                // Noise, noise with zeros and large clicks, and a few repeated values.
                x[i] = kind == 0   ? value(random)
                       : kind == 1 ? (i % 3 == 0 ? 0.0f : (i % 7 == 0 ? 50.0f : value(random)))
                                   : static_cast<float>(i % 4) * (i % 2 ? -0.5f : 0.5f);
            }
            std::vector<float> sorted(x.size());
            std::transform(x.begin(), x.end(), sorted.begin(),
                           [](float v) { return std::fabs(v); });
            std::sort(sorted.begin(), sorted.end());
            const float expected =
                count % 2 ? sorted[count / 2] : 0.5f * (sorted[count / 2 - 1] + sorted[count / 2]);
            EXPECT_EQ(SelectionMedian::medianMagnitude(x.data(), count, scratch.data()), expected)
                << count << " " << kind;
        }
    }
}
