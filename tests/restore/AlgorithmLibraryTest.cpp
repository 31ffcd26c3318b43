// The algorithm library and what holds for every kernel it makes: its latency, the same
// output for any call length, in place or not, and mono that works on the first channel
// alone.
#include "AlgorithmLibrary.h"
#include "KernelTestSupport.h"
#include "NspLibrary.h"

using namespace kernel_test;
using namespace TestSignals;

namespace {

struct Made {
    ProcessorKind kind;
    int32_t latency;
};

constexpr Made kMade[] = {
    {ProcessorKind::BassEnhancer, 0},        {ProcessorKind::StereoWidener, 0},
    {ProcessorKind::BrillianceEnhancer, 20}, {ProcessorKind::PeakLimiter, 2135},
    {ProcessorKind::LevelNormalizer, 0},     {ProcessorKind::NoiseReducer, 769},
    {ProcessorKind::ClickRemover, 4096},     {ProcessorKind::CrackleRemover, 0},
};

// Worn music: two tones under hiss, with clicks that reach full scale.
StereoSignal wornMusic(int32_t frames) {
    const auto samples = TestSignals::wornMusic16(frames, 30);
    StereoSignal out{std::vector<float>(frames), std::vector<float>(frames)};
    for (int32_t i = 0; i < frames; ++i) {
        out.left[i] = std::clamp(1.4f * samples[2 * i] / 32768.0f, -1.0f, 1.0f);
        out.right[i] = std::clamp(1.4f * samples[2 * i + 1] / 32768.0f, -1.0f, 1.0f);
    }
    return out;
}

} // namespace

TEST(AlgorithmLibrary, RefusesAMaximumBlockThatIsNotPositive) {
    EXPECT_NE(AlgorithmLibrary::initialise(0), 0);
    EXPECT_NE(AlgorithmLibrary::initialise(-5), 0);
    EXPECT_EQ(AlgorithmLibrary::maxBlock(), AlgorithmLibrary::kApplicationMaxBlock);
}

TEST(AlgorithmLibrary, MakesNothingAfterShutdownUntilInitialisedAgain) {
    AlgorithmLibrary::shutdown();
    EXPECT_FALSE(AlgorithmLibrary::isInitialised());
    EXPECT_FALSE(nspIsInitialised());
    EXPECT_FALSE(AlgorithmLibrary::create(ProcessorKind::BassEnhancer, {}));
    ASSERT_EQ(AlgorithmLibrary::initialise(AlgorithmLibrary::kApplicationMaxBlock), 0);
    EXPECT_TRUE(nspIsInitialised());
    EXPECT_TRUE(AlgorithmLibrary::create(ProcessorKind::BassEnhancer, {}));
}

TEST(AlgorithmLibrary, EveryKernelHasItsLatencyAndGivesTheSameOutputForAnyCallLengthInPlaceOrNot) {
    // Calls longer than the library's maximum block are worked through in pieces. Each
    // object keeps its own state (a playback chain and a processing run each own theirs).
    const int32_t count = 3 * 44100;
    const StereoSignal input = wornMusic(count);
    for (const auto& [kind, latency] : kMade) {
        SCOPED_TRACE(static_cast<int>(kind));
        auto whole = AlgorithmLibrary::create(kind, {});
        ASSERT_TRUE(whole);
        EXPECT_EQ(whole->latency(), latency);
        const StereoSignal reference = runKernel(*whole, params(0.7f, 2, 1), input, count);
        if (kind != ProcessorKind::LevelNormalizer) { // which only measures below 1.0
            EXPECT_NE(reference.left, input.left);
        }
        for (int32_t block : {1, 37, 16383}) {
            auto kernel = AlgorithmLibrary::create(kind, {});
            const StereoSignal out = runKernel(*kernel, params(0.7f, 2, 1), input, block);
            EXPECT_EQ(out.left, reference.left) << block;
            EXPECT_EQ(out.right, reference.right) << block;
        }
        // And in place, as the chain runs them.
        auto kernel = AlgorithmLibrary::create(kind, {});
        StereoSignal io = input;
        for (int32_t at = 0; at < count; at += 4096) {
            float* channels[2] = {io.left.data() + at, io.right.data() + at};
            kernel->process(params(0.7f, 2, 1), channels, channels, std::min(4096, count - at));
        }
        EXPECT_EQ(io.left, reference.left);
        EXPECT_EQ(io.right, reference.right);
    }
}

TEST(AlgorithmLibrary, MonoWorksOnTheFirstChannelAsStereoWouldOnTwoEqualOnes) {
    const int32_t count = 44100;
    const StereoSignal worn = wornMusic(count);
    for (const auto& [kind, latency] : kMade) {
        SCOPED_TRACE(static_cast<int>(kind));
        auto stereo = AlgorithmLibrary::create(kind, {});
        auto mono = AlgorithmLibrary::create(kind, {});
        ASSERT_TRUE(stereo && mono);
        const StereoSignal expected =
            runKernel(*stereo, params(1.0f), {worn.left, worn.left}, 4096);
        StereoSignal out{std::vector<float>(count), std::vector<float>(count, 7.0f)};
        for (int32_t at = 0; at < count; at += 4096) {
            const float* in[2] = {worn.left.data() + at, worn.right.data() + at};
            float* o[2] = {out.left.data() + at, out.right.data() + at};
            mono->process(params(1.0f, 1), in, o, std::min(4096, count - at));
        }
        EXPECT_EQ(out.left, expected.left);
        EXPECT_EQ(out.right, std::vector<float>(count, 7.0f));
    }
}
