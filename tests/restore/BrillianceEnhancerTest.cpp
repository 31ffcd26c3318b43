#include "BrillianceEnhancer.h"
#include "KernelTestSupport.h"

using namespace kernel_test;
using namespace TestSignals;

namespace {

constexpr int32_t kDelay = BrillianceEnhancer::kDelay;

// Response of the filtered path alone at `hz`: output with a = 1 minus the dry input
// delayed by 20 frames, against the input.
double filterResponseDb(double hz) {
    const int32_t count = 44100;
    BrillianceEnhancer enhancer(AlgorithmLibrary::kApplicationMaxBlock);
    StereoSignal in;
    if (hz == 0.0) {
        in.left.assign(count, 0.5f);
    } else {
        in.left = sine(hz, 0.5, count);
    }
    in.right = in.left;
    const StereoSignal out = runKernel(enhancer, params(1.0f), in, 4096);
    std::vector<float> filtered(count - kDelay);
    for (int32_t i = kDelay; i < count; ++i) {
        filtered[i - kDelay] = out.left[i] - in.left[i - kDelay];
    }
    const int32_t start = 1000; // past the start-up transient
    const int32_t n = count - kDelay - start;
    if (hz == 0.0) {
        double sum = 0;
        for (int32_t i = start; i < start + n; ++i) {
            sum += filtered[i];
        }
        return dB(std::fabs(sum / n) / 0.5);
    }
    return dB(toneAmplitude(filtered.data() + start, n, hz) /
              toneAmplitude(in.left.data() + start, n, hz));
}

} // namespace

TEST(BrillianceEnhancer, FilterResponseFollowsTheDesign) {
    const std::pair<double, double> rows[] = {{0.0, -96.0},   {1000.0, -50.0}, {2000.0, -28.0},
                                              {4000.0, -8.0}, {6000.0, -1.4},  {8000.0, 0.0},
                                              {15000.0, 0.0}};
    for (const auto& [hz, db] : rows) {
        EXPECT_NEAR(filterResponseDb(hz), db, 0.5) << hz;
    }
}

TEST(BrillianceEnhancer, FullAmountDoublesHighFrequencies) {
    const int32_t count = 44100;
    BrillianceEnhancer enhancer(AlgorithmLibrary::kApplicationMaxBlock);
    const StereoSignal in{sine(10000.0, 0.3, count), sine(300.0, 0.3, count)};
    const StereoSignal out = runKernel(enhancer, params(1.0f), in, 4096);
    EXPECT_NEAR(dB(toneAmplitude(out.left.data() + 100, count - 100, 10000.0) / 0.3), 6.0, 0.1);
    EXPECT_NEAR(dB(toneAmplitude(out.right.data() + 100, count - 100, 300.0) / 0.3), 0.0, 0.01);
}
