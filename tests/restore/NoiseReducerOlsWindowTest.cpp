#include "KernelTestSupport.h"
#include "OlsWindow.h"

using namespace kernel_test;
using namespace TestSignals;

namespace {

constexpr int32_t kLatency = 769;

// Leaves every spectrum as it is and remembers the new hop it was handed.
struct Unchanged : OlsFrameProcessor {
    int32_t frames = 0;
    std::vector<float> lastHop[2];

    void processFrame(const OlsFrame& frame) override {
        ++frames;
        for (int32_t c = 0; c < frame.channels; ++c) {
            lastHop[c].assign(frame.hop[c], frame.hop[c] + OlsWindow::kHop);
        }
    }
};

// Halves every other frame's spectrum, as a noise gain does that opens on a note's onset.
struct Alternating : OlsFrameProcessor {
    int32_t frames = 0;
    void processFrame(const OlsFrame& frame) override {
        const float gain = ++frames % 2 ? 0.5f : 1.0f;
        for (int32_t c = 0; c < frame.channels; ++c) {
            std::transform(frame.re[c], frame.re[c] + OlsWindow::kBins, frame.re[c],
                           [gain](float v) { return v * gain; });
            std::transform(frame.im[c], frame.im[c] + OlsWindow::kBins, frame.im[c],
                           [gain](float v) { return v * gain; });
        }
    }
};

float largestStep(const std::vector<float>& x, size_t from) {
    float step = 0.0f;
    for (size_t i = from + 1; i < x.size(); ++i) {
        step = std::max(step, std::fabs(x[i] - x[i - 1]));
    }
    return step;
}

StereoSignal testSignal(int32_t count) {
    StereoSignal in{sine(440.0, 0.5, count), sine(3000.0, 0.3, count, 1.0)};
    const auto hissL = noise(count, 0.3, 11);
    const auto hissR = noise(count, 0.6, 12);
    for (int32_t i = 0; i < count; ++i) {
        in.left[i] += hissL[i];
        in.right[i] += hissR[i];
    }
    return in;
}

// The signal through the window in place, as the noise reducer runs it, in calls of
// `block` frames.
StereoSignal runWindow(OlsWindow& window, OlsFrameProcessor& processor, StereoSignal io,
                       int32_t block) {
    const auto count = static_cast<int32_t>(io.left.size());
    for (int32_t done = 0; done < count; done += block) {
        float* channels[2] = {io.left.data() + done, io.right.data() + done};
        window.process(channels, channels, std::min(block, count - done), processor);
    }
    return io;
}

void expectDelayedCopy(const std::vector<float>& out, const std::vector<float>& in, int32_t delay) {
    // Before the first hop has passed the output is silence, up to the transform's rounding.
    for (int32_t i = 0; i < delay; ++i) {
        ASSERT_NEAR(out[i], 0.0f, 2e-6f) << i;
    }
    for (size_t i = delay; i < out.size(); ++i) {
        ASSERT_NEAR(out[i], in[i - delay], 2e-6f) << i;
    }
}

} // namespace

TEST(OlsWindow, UnchangedSpectraGiveTheInputBack769FramesLateWhateverTheBlockSize) {
    const int32_t count = 20000;
    const StereoSignal in = testSignal(count);
    for (int32_t block : {1, 7, 100, 333, 511, 513, 1000, 4096, 16384}) {
        SCOPED_TRACE(block);
        OlsWindow window;
        Unchanged unchanged;
        const StereoSignal buffer = runWindow(window, unchanged, in, block);
        EXPECT_EQ(unchanged.frames, count / 512);
        const auto hopEnd = in.left.begin() + count / 512 * 512;
        EXPECT_EQ(unchanged.lastHop[0], std::vector<float>(hopEnd - 512, hopEnd));
        expectDelayedCopy(buffer.left, in.left, kLatency);
        expectDelayedCopy(buffer.right, in.right, kLatency);
    }
}

TEST(OlsWindow, AGainChangingFromFrameToFrameLeavesNoStepWhereTheKeptPartsMeet) {
    // A loud bass note under hiss: halving every other frame may change the level, but
    // the seams between kept parts must not jump (without the fade they step five times further
    // than the input does).
    const int32_t count = 16 * OlsWindow::kHop;
    StereoSignal in{sine(86.0, 0.3, count), sine(86.0, 0.3, count)};
    const auto hiss = noise(count, 0.0005, 5);
    for (int32_t i = 0; i < count; ++i) {
        in.left[i] += hiss[i];
        in.right[i] -= hiss[i];
    }
    OlsWindow window;
    Alternating alternating;
    const StereoSignal out = runWindow(window, alternating, in, 1000);
    const float inputStep = largestStep(in.left, 0);
    EXPECT_LT(largestStep(out.left, kLatency), 1.5f * inputStep);
    EXPECT_LT(largestStep(out.right, kLatency), 1.5f * inputStep);
    // It did change the level: the halved frames come out at half.
    float low = 1.0f;
    for (int32_t i = 2 * kLatency; i < count; i += 64) {
        low = std::min(low,
                       std::fabs(out.left[i]) / std::max(std::fabs(in.left[i - kLatency]), 0.05f));
    }
    EXPECT_LT(low, 0.6f);
}

TEST(OlsWindow, BackToStereoTheSecondChannelCarriesOnFromTheFirst) {
    // Loud on the right before the mono stretch: none of it may come out afterwards.
    const int32_t part = 5000;
    StereoSignal first{sine(500.0, 0.1, part), sine(700.0, 0.9, part)};
    StereoSignal mono{sine(500.0, 0.1, part, 1.0), std::vector<float>(part, 0.0f)};
    StereoSignal second{std::vector<float>(part, 0.0f), std::vector<float>(part, 0.0f)};
    OlsWindow window;
    Unchanged unchanged;
    runWindow(window, unchanged, first, 1000);
    window.setChannels(1);
    const StereoSignal monoOut = runWindow(window, unchanged, mono, 1000);
    window.setChannels(2);
    EXPECT_EQ(window.channels(), 2);
    const StereoSignal out = runWindow(window, unchanged, second, 1000);
    // The mono input's tail leaves both channels alike, then the silent input follows.
    for (int32_t i = 0; i < part; ++i) {
        ASSERT_NEAR(out.right[i], out.left[i], 1e-7f) << i;
        const float expected = i < kLatency ? mono.left[part - kLatency + i] : 0.0f;
        ASSERT_NEAR(out.left[i], expected, 2e-6f) << i;
    }
    EXPECT_NEAR(monoOut.left[part - 1], mono.left[part - 1 - kLatency], 2e-6f);
}
