#include "BrillianceEnhancer.h"
#include "SignalTestSupport.h"

using namespace signal_test;

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
    EXPECT_NEAR(filterResponseDb(0.0), -96.0, 0.5);
    EXPECT_NEAR(filterResponseDb(1000.0), -50.0, 0.5);
    EXPECT_NEAR(filterResponseDb(2000.0), -28.0, 0.5);
    EXPECT_NEAR(filterResponseDb(4000.0), -8.0, 0.5);
    EXPECT_NEAR(filterResponseDb(6000.0), -1.4, 0.5);
    EXPECT_NEAR(filterResponseDb(8000.0), 0.0, 0.5);
    EXPECT_NEAR(filterResponseDb(15000.0), 0.0, 0.5);
}

TEST(BrillianceEnhancer, FullAmountDoublesHighFrequencies) {
    const int32_t count = 44100;
    BrillianceEnhancer enhancer(AlgorithmLibrary::kApplicationMaxBlock);
    const StereoSignal in{sine(10000.0, 0.3, count), sine(300.0, 0.3, count)};
    const StereoSignal out = runKernel(enhancer, params(1.0f), in, 4096);
    EXPECT_NEAR(dB(toneAmplitude(out.left.data() + 100, count - 100, 10000.0) / 0.3), 6.0, 0.1);
    EXPECT_NEAR(dB(toneAmplitude(out.right.data() + 100, count - 100, 300.0) / 0.3), 0.0, 0.01);
}

TEST(BrillianceEnhancer, ImpulseIsCentredTwentyFramesLate) {
    BrillianceEnhancer enhancer(64);
    StereoSignal in{std::vector<float>(100, 0.0f), std::vector<float>(100, 0.0f)};
    in.left[0] = 1.0f;
    in.right[0] = 1.0f;
    const StereoSignal out = runKernel(enhancer, params(1.0f), in, 100);
    const auto& half = BrillianceEnhancer::kHalfResponse;
    EXPECT_FLOAT_EQ(out.left[kDelay], 1.0f + static_cast<float>(half[9]));
    for (int32_t k = 1; k <= 9; ++k) {
        const float expected = static_cast<float>(half[9 - k]);
        EXPECT_FLOAT_EQ(out.left[kDelay - k], expected) << k;
        EXPECT_FLOAT_EQ(out.left[kDelay + k], expected) << k;
    }
    for (int32_t i = 0; i < 100; ++i) {
        if (i < kDelay - 9 || i > kDelay + 9) {
            EXPECT_EQ(out.left[i], 0.0f) << i;
        }
    }
    EXPECT_EQ(out.right, out.left);
    EXPECT_EQ(enhancer.latency(), kDelay);
}

TEST(BrillianceEnhancer, AmountZeroIsTheInputDelayedByTwentyFrames) {
    BrillianceEnhancer enhancer(AlgorithmLibrary::kApplicationMaxBlock);
    const StereoSignal in{noise(5000, 1.0, 10), noise(5000, 1.0, 11)};
    const StereoSignal out = runKernel(enhancer, params(0.0f), in, 333);
    for (int32_t i = 0; i < 5000; ++i) {
        const float expectedL = i < kDelay ? 0.0f : in.left[i - kDelay];
        const float expectedR = i < kDelay ? 0.0f : in.right[i - kDelay];
        ASSERT_EQ(out.left[i], expectedL) << i;
        ASSERT_EQ(out.right[i], expectedR) << i;
    }
}

TEST(BrillianceEnhancer, OutputDoesNotDependOnTheBlockSize) {
    // Blocks longer than the library's maximum are worked through in pieces.
    const int32_t count = 50000;
    const StereoSignal in{noise(count, 0.5, 12), sine(7000.0, 0.4, count)};
    BrillianceEnhancer whole(count);
    const StereoSignal reference = runKernel(whole, params(0.7f), in, count);
    for (int32_t block : {1, 37, 4096, 16384}) {
        BrillianceEnhancer enhancer(AlgorithmLibrary::kApplicationMaxBlock);
        const StereoSignal out = runKernel(enhancer, params(0.7f), in, block);
        EXPECT_EQ(out.left, reference.left) << block;
        EXPECT_EQ(out.right, reference.right) << block;
    }
}

TEST(BrillianceEnhancer, InPlaceProcessingGivesTheSameOutput) {
    const StereoSignal in{noise(3000, 0.5, 13), noise(3000, 0.5, 14)};
    BrillianceEnhancer separate(AlgorithmLibrary::kApplicationMaxBlock);
    const StereoSignal reference = runKernel(separate, params(1.0f), in, 3000);
    BrillianceEnhancer inPlace(AlgorithmLibrary::kApplicationMaxBlock);
    StereoSignal data = in;
    float* channels[2] = {data.left.data(), data.right.data()};
    inPlace.process(params(1.0f), channels, channels, 3000);
    EXPECT_EQ(data.left, reference.left);
    EXPECT_EQ(data.right, reference.right);
}
