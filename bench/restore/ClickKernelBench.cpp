// The repair kernels alone, in nanoseconds per sample of one channel: the block model's
// autocorrelation and solution, the detector's matched error filter (both in the
// two-double lanes every processor has and, where AVX2 is there, the wide ones), and the
// crackle predictor's updates for one channel and for two side by side. The "orders" and
// "lanes" arguments show what each choice costs: the click remover solves orders up to
// ClickSettings::kSolvedOrder, not all ArModel::kMaxOrder.
#include "AdaptivePredictor.h"
#include "ArModel.h"
#include "ClickSettings.h"
#include "MatchedErrorFilter.h"
#include "NspLanes.h"

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

namespace {

using S = ClickSettings;

std::vector<float> noise(int32_t count, uint32_t seed) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> uniform(-0.5f, 0.5f);
    std::vector<float> out(count);
    for (auto& v : out) {
        v = uniform(random);
    }
    return out;
}

void perSample(benchmark::State& state, int64_t samplesPerIteration) {
    state.counters["per_sample"] =
        benchmark::Counter(static_cast<double>(state.iterations() * samplesPerIteration),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// range(0): the highest order solved; range(1): 1 for wide lanes where the processor has them.
void BM_ArModelFit(benchmark::State& state) {
    nspAllowWideLanes(state.range(1) != 0);
    const auto x = noise(S::kBlock, 1);
    const std::vector<double> block(x.begin(), x.end());
    ArModel model;
    for (auto _ : state) {
        benchmark::DoNotOptimize(model.fit(block.data(), S::kBlock, S::kSilentPower,
                                           static_cast<int32_t>(state.range(0))));
    }
    nspAllowWideLanes(true);
    perSample(state, S::kBlock);
}
BENCHMARK(BM_ArModelFit)
    ->ArgNames({"orders", "wide"})
    ->Args({ArModel::kMaxOrder, 0})
    ->Args({S::kSolvedOrder, 0})
    ->Args({S::kSolvedOrder, 1});

void BM_MatchedErrorFilter(benchmark::State& state) {
    nspAllowWideLanes(state.range(0) != 0);
    const auto x = noise(S::kBlock, 2);
    const std::vector<double> block(x.begin(), x.end());
    ArModel model;
    model.fit(block.data(), S::kBlock, S::kSilentPower, S::kSolvedOrder);
    MatchedErrorFilter filter(S::kResidualOrder, S::kBlock);
    std::vector<float> power(S::kBlock);
    for (auto _ : state) {
        filter.run(model.coefficients(S::kResidualOrder), x.data(), S::kBlock, power.data());
        benchmark::DoNotOptimize(power.data());
    }
    nspAllowWideLanes(true);
    perSample(state, S::kBlock);
}
BENCHMARK(BM_MatchedErrorFilter)->ArgName("wide")->Arg(0)->Arg(1);

// range(0) channels of predictor updates, one chunk a call, over a long history.
void BM_PredictorChunk(benchmark::State& state) {
    constexpr int32_t kChunk = AdaptivePredictor::kChunk;
    const int32_t channels = static_cast<int32_t>(state.range(0));
    const auto x = noise(kChunk + CrackleSettings::kOrder + 1, 3);
    const float* top = x.data() + kChunk; // the window of update t starts at top − t
    AdaptivePredictor predictors[2];
    AdaptivePredictor* both[2] = {&predictors[0], &predictors[1]};
    std::vector<float> power(kChunk), error0(kChunk), error1(kChunk);
    AdaptivePredictor::powers(top, kChunk, power.data());
    const float* newest[2] = {top, top};
    const float* powers[2] = {power.data(), power.data()};
    float* errors[2] = {error0.data(), error1.data()};
    for (auto _ : state) {
        if (channels == 2) {
            AdaptivePredictor::adaptChunk<2>(both, newest, CrackleSettings::kDelay - 1, powers,
                                             kChunk, errors);
        } else {
            AdaptivePredictor::adaptChunk<1>(both, newest, CrackleSettings::kDelay - 1, powers,
                                             kChunk, errors);
        }
        benchmark::DoNotOptimize(error0.data());
    }
    perSample(state, static_cast<int64_t>(kChunk) * channels);
}
BENCHMARK(BM_PredictorChunk)->ArgName("channels")->Arg(1)->Arg(2);

} // namespace

BENCHMARK_MAIN();
