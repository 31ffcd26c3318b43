#pragma once

// Running the restoration kernels in tests: the library set up once per test program,
// parameter blocks, and two channels driven through a kernel in calls of any length.
// The signals come from the signal library (support/TestSignals.h).

#include "AlgorithmKernel.h"
#include "AlgorithmLibrary.h"
#include "support/TestSignals.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace kernel_test {

// Initialises the algorithm library once for the whole test program, as the application
// does at start-up.
class LibraryEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        ASSERT_EQ(AlgorithmLibrary::initialise(AlgorithmLibrary::kApplicationMaxBlock), 0);
    }
    void TearDown() override { AlgorithmLibrary::shutdown(); }
};

inline ParameterBlock params(float value, int32_t channels = 2, int32_t forceOn = 0) {
    ParameterBlock block;
    block.channels = channels;
    block.value = value;
    block.forceOn = forceOn;
    return block;
}

// Runs a kernel over two channels in calls of `block` frames, returning both outputs.
struct StereoSignal {
    std::vector<float> left, right;
};
inline StereoSignal runKernel(AlgorithmKernel& kernel, const ParameterBlock& params,
                              const StereoSignal& input, int32_t block) {
    StereoSignal out{std::vector<float>(input.left.size()), std::vector<float>(input.right.size())};
    const int32_t total = static_cast<int32_t>(input.left.size());
    for (int32_t done = 0; done < total;) {
        const int32_t n = std::min(block, total - done);
        const float* in[2] = {input.left.data() + done, input.right.data() + done};
        float* o[2] = {out.left.data() + done, out.right.data() + done};
        kernel.process(params, in, o, n);
        done += n;
    }
    return out;
}

// One 16-bit sample through the chain's conversion to float and back: in with the ±1e-7
// offset of its frame's parity within the call, out through × 32767, truncated.
inline int16_t roundTrip(int16_t s, int32_t frameInCall) {
    const float d = (frameInCall & 1) ? -1e-7f : 1e-7f;
    const float v = s * (1.0f / 32768.0f) + d;
    return static_cast<int16_t>(static_cast<int32_t>(static_cast<double>(v) * 32767.0));
}

// One channel through a kernel in mono, in calls of `block` frames.
inline std::vector<float> runMono(AlgorithmKernel& kernel, const std::vector<float>& input,
                                  float value, int32_t block = 4096) {
    return runKernel(kernel, params(value, 1), {input, input}, block).left;
}

} // namespace kernel_test
