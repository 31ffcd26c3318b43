#include "AlgorithmLibrary.h"
#include "NspLibrary.h"
#include "SignalTestSupport.h"

TEST(AlgorithmLibrary, RefusesAMaximumBlockThatIsNotPositive) {
    EXPECT_NE(AlgorithmLibrary::initialise(0), 0);
    EXPECT_NE(AlgorithmLibrary::initialise(-5), 0);
    EXPECT_EQ(AlgorithmLibrary::maxBlock(), AlgorithmLibrary::kApplicationMaxBlock);
}

TEST(AlgorithmLibrary, MakesTheKindsItHasAndLeavesTheOthersEmpty) {
    const ParameterBlock params;
    const std::pair<ProcessorKind, int32_t> made[] = {
        {ProcessorKind::BassEnhancer, 0},        {ProcessorKind::StereoWidener, 0},
        {ProcessorKind::BrillianceEnhancer, 20}, {ProcessorKind::PeakLimiter, 2135},
        {ProcessorKind::LevelNormalizer, 0},     {ProcessorKind::NoiseReducer, 769},
        {ProcessorKind::ClickRemover, 4096},     {ProcessorKind::CrackleRemover, 0},
    };
    for (const auto& [kind, latency] : made) {
        auto kernel = AlgorithmLibrary::create(kind, params);
        ASSERT_TRUE(kernel) << static_cast<int>(kind);
        EXPECT_EQ(kernel->latency(), latency) << static_cast<int>(kind);
    }
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

TEST(AlgorithmLibrary, ObjectsOfOneKindKeepSeparateState) {
    // A playback chain and a processing run each own their objects.
    auto first = AlgorithmLibrary::create(ProcessorKind::PeakLimiter, {});
    auto second = AlgorithmLibrary::create(ProcessorKind::PeakLimiter, {});
    ASSERT_TRUE(first && second);
    std::vector<float> loud(4096, 1.0f), quiet(4096, 0.1f), out(4096);
    const float* in1[2] = {loud.data(), loud.data()};
    const float* in2[2] = {quiet.data(), quiet.data()};
    float* o[2] = {out.data(), out.data()};
    first->process({}, in1, o, 4096);
    second->process({}, in2, o, 4096);
    EXPECT_FLOAT_EQ(out[4000], 0.1f); // untouched by the other object's limiting
}
