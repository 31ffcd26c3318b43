#include "StereoWidener.h"
#include "KernelTestSupport.h"

using namespace kernel_test;
using namespace TestSignals;

TEST(StereoWidener, UserValueZeroIsExactPassThrough) {
    // Includes tiny and full-scale values, where float rounding would show first.
    StereoSignal in{noise(20000, 1.0, 4), noise(20000, 1.0, 5)};
    in.left[0] = 1.0f;
    in.right[0] = -1.0f;
    in.left[1] = 1e-7f;
    in.right[1] = -3e-7f;
    in.left[2] = 0.99996948f;
    in.right[2] = 0.99996948f;
    StereoWidener widen;
    const StereoSignal out = runKernel(widen, params(0.5f), in, 4096); // 0.5 + 0.5 × 0
    EXPECT_EQ(out.left, in.left);
    EXPECT_EQ(out.right, in.right);
}

TEST(StereoWidener, UserValueOneDoublesTheSideSignal) {
    const StereoSignal in{noise(5000, 0.4, 6), noise(5000, 0.4, 7)};
    StereoWidener widen;
    const StereoSignal out = runKernel(widen, params(1.0f), in, 5000); // 0.5 + 0.5 × 1
    for (size_t i = 0; i < in.left.size(); ++i) {
        const double mid = in.left[i] + in.right[i];
        const double side = in.left[i] - in.right[i];
        EXPECT_NEAR(out.left[i] + out.right[i], mid, 1e-6) << i;
        EXPECT_NEAR(out.left[i] - out.right[i], 2.0 * side, 1e-6) << i;
    }
}
