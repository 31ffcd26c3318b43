#pragma once

#include "AlgorithmKernel.h"
#include "AlgorithmLibrary.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <random>
#include <vector>

// Generated signals and measurements shared by the restoration tests.
namespace signal_test {

constexpr double kRate = 44100.0;

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

inline std::vector<float> sine(double hz, double amplitude, int32_t count, double phase = 0.0) {
    std::vector<float> out(count);
    for (int32_t i = 0; i < count; ++i) {
        out[i] = static_cast<float>(amplitude *
                                    std::sin(2.0 * std::numbers::pi * hz * i / kRate + phase));
    }
    return out;
}

inline std::vector<float> noise(int32_t count, double amplitude, uint32_t seed) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> uniform(-amplitude, amplitude);
    std::vector<float> out(count);
    for (auto& v : out) {
        v = static_cast<float>(uniform(random));
    }
    return out;
}

// Amplitude of the `hz` component of x[0 .. count), by a least-squares fit of a sine and
// a cosine (count should span many periods).
inline double toneAmplitude(const float* x, int32_t count, double hz) {
    double ss = 0, cc = 0, sc = 0, xs = 0, xc = 0;
    for (int32_t i = 0; i < count; ++i) {
        const double w = 2.0 * std::numbers::pi * hz * i / kRate;
        const double s = std::sin(w), c = std::cos(w);
        ss += s * s;
        cc += c * c;
        sc += s * c;
        xs += x[i] * s;
        xc += x[i] * c;
    }
    const double det = ss * cc - sc * sc;
    const double a = (xs * cc - xc * sc) / det;
    const double b = (xc * ss - xs * sc) / det;
    return std::hypot(a, b);
}

inline double dB(double ratio) {
    return 20.0 * std::log10(ratio);
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

// Interleaved 16-bit stereo frames from two channel functions.
template <class Left, class Right>
std::vector<int16_t> frames(int32_t count, Left left, Right right) {
    std::vector<int16_t> out(2 * static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i) {
        out[2 * i] = static_cast<int16_t>(left(i));
        out[2 * i + 1] = static_cast<int16_t>(right(i));
    }
    return out;
}

} // namespace signal_test
