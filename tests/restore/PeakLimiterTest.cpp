// The limiter's shared gain and its ramp (the ceiling under loud music and a full-scale
// burst: ProcessorChainTest), and the block adapter it runs behind.
#include "PeakLimiter.h"
#include "BlockAdapter.h"
#include "KernelTestSupport.h"

using namespace kernel_test;

namespace {

constexpr int32_t kLatency = 2135;
const float kCeiling = static_cast<float>(std::pow(10.0, -0.025 / 20.0)); // 0.99713

ParameterBlock limiterParams(int32_t channels = 2) {
    return params(0.0f, channels, 1);
}

} // namespace

TEST(BlockAdapter, OutputLagsByOneBlockWhateverTheCallLengths) {
    BlockAdapter adapter(8);
    std::vector<float> in(40), out(40, -1.0f);
    for (int32_t i = 0; i < 40; ++i) {
        in[i] = static_cast<float>(i + 1);
    }
    int32_t blocks = 0;
    auto copyBlock = [&](const float* const* blockIn, float* const* blockOut, int32_t) {
        std::copy_n(blockIn[0], 8, blockOut[0]);
        ++blocks;
    };
    int32_t done = 0;
    for (int32_t n : {3, 1, 9, 0, 15, 12}) {
        const float* i[1] = {in.data() + done};
        float* o[1] = {out.data() + done};
        adapter.process(i, o, 1, n, copyBlock);
        done += n;
    }
    EXPECT_EQ(blocks, 5);
    for (int32_t i = 0; i < 40; ++i) {
        EXPECT_EQ(out[i], i < 8 ? 0.0f : in[i - 8]) << i;
    }
}

TEST(PeakLimiter, BothChannelsShareAGainThatRampsDownOverThe86FramesBeforeThePeak) {
    // Steady signals show the gain; one full-scale sample on the left makes it move, and
    // leaves at the ceiling 2135 frames later.
    const int32_t count = 8192, at = 3000;
    StereoSignal in{std::vector<float>(count, 0.25f), std::vector<float>(count, 0.5f)};
    in.left[at] = -1.0f;
    PeakLimiter limiter;
    const StereoSignal out = runKernel(limiter, limiterParams(), in, 4096);
    const int32_t peakOut = at + kLatency;
    // After the look-ahead ring has filled and until the ramp begins, the signal passes
    // untouched.
    for (int32_t i = 2048 + 87; i < peakOut - 87; ++i) {
        ASSERT_EQ(out.right[i], 0.5f) << i;
    }
    // A straight ramp over 86 frames, then the ceiling gain for the peak itself.
    const double step = (1.0 - kCeiling) / 86.0;
    for (int32_t k = 1; k <= 86; ++k) {
        const int32_t i = peakOut - 87 + k - 1;
        EXPECT_NEAR(out.right[i], 0.5 * (1.0 - k * step), 1e-6) << k;
        EXPECT_LT(out.right[i], out.right[i - 1]) << k;
        EXPECT_FLOAT_EQ(out.right[i], 2.0f * out.left[i]) << k;
    }
    EXPECT_NEAR(out.left[peakOut], -kCeiling, 1e-6f);
    EXPECT_NEAR(out.right[peakOut], 0.5f * kCeiling, 1e-6f);
    // Afterwards the gain releases back towards 1.
    EXPECT_GT(out.right[count - 1], out.right[peakOut]);
    EXPECT_NEAR(out.right[count - 1], 0.5f, 1e-4f);
}
