// The crackle remover: its cross-fade and the whole stage (its predictor against a plain
// one in KernelEquivalenceTest).
#include "CrackleRemover.h"
#include "AdaptivePredictor.h"
#include "CrackleFade.h"
#include "KernelTestSupport.h"

using namespace kernel_test;
using namespace TestSignals;
using S = CrackleSettings;

TEST(CrackleFade, FadesOverEightHoldsFourAndFadesBackAndDetectionsReloadOrTurnIt) {
    CrackleFade fade;
    std::vector<float> mix;
    mix.push_back(fade.step(true));
    for (int32_t n = 0; n < 30; ++n) {
        mix.push_back(fade.step(false));
    }
    // Eight fading samples reach 0 (the detection's own sample is the first), four more
    // are held there, and eight fade back.
    for (int32_t n = 0; n < 8; ++n) {
        EXPECT_EQ(mix[n], 1.0f - S::kFadeStep * (n + 1)) << n;
        EXPECT_EQ(mix[8 + S::kHold + n], S::kFadeStep * (n + 1)) << n;
    }
    for (int32_t n = 8; n < 8 + S::kHold; ++n) {
        EXPECT_EQ(mix[n], 0.0f) << n;
    }
    EXPECT_EQ(fade.state(), CrackleFade::State::Idle);

    fade.step(true);
    for (int32_t n = 0; n < 10; ++n) {
        fade.step(false); // holding after this
    }
    EXPECT_EQ(fade.state(), CrackleFade::State::Holding);
    fade.step(true); // reloads the hold
    for (int32_t n = 0; n < S::kHold; ++n) {
        fade.step(false);
        EXPECT_EQ(fade.mix(), 0.0f) << n;
    }
    fade.step(false);
    fade.step(false);
    EXPECT_EQ(fade.state(), CrackleFade::State::FadingIn);
    EXPECT_EQ(fade.mix(), 2 * S::kFadeStep);
    fade.step(true); // turns round: back towards the prediction
    EXPECT_EQ(fade.state(), CrackleFade::State::FadingOut);
    fade.step(false);
    EXPECT_EQ(fade.mix(), 2 * S::kFadeStep);
    EXPECT_EQ(fade.engaged(), 2); // a reload and a turn are no new events
}

TEST(CrackleRemover, ASingleImpulseIsReplacedAndNothingElseTouched) {
    const auto clean = musicBed(30000, 3);
    auto input = clean;
    const int32_t at = 25000;
    input[at] += 0.3f;
    CrackleRemover remover;
    const auto output = runMono(remover, input, 0.5f);
    // The error filter sees the impulse 9 samples on; from then the output fades to the
    // substitute, holds and fades back, so that the impulse leaves (18 samples on) while
    // only the substitute is heard: far nearer the clean signal than the impulse.
    EXPECT_LT(std::abs(output[at + S::kLag] - clean[at]), 0.1f);
    EXPECT_EQ(remover.report().repairs, 1);
    const auto faded = static_cast<int32_t>(remover.report().samples);
    EXPECT_GE(faded, 8 + S::kHold + 7);
    for (int32_t n = S::kLag; n < 30000; ++n) {
        if (n < at + S::kDelay || n > at + S::kDelay + faded) {
            ASSERT_EQ(output[n], input[n - S::kLag]) << n;
        }
    }
}

TEST(CrackleRemover, AtZeroOnlyStrongImpulsesSwitchTheFadeOn) {
    // The smallest impulse that switches the fade on, on music with noise at −54 dBFS.
    auto smallestDetected = [](float value) {
        for (float size = 0.004f; size < 1.0f; size *= 1.2f) {
            auto input = musicBed(30000, 3);
            input[25000] += size;
            CrackleRemover remover;
            runMono(remover, input, value);
            if (remover.report().repairs > 0) {
                return size;
            }
        }
        return 1.0f;
    };
    const float atZero = smallestDetected(0.0f), atHalf = smallestDetected(0.5f);
    EXPECT_GT(atZero, 1.4f * atHalf);
    EXPECT_GT(atZero, 5.0f * static_cast<float>(kNoiseRms));
    EXPECT_LT(atZero, 0.3f);
}

TEST(CrackleRemover, WeightsDecayToTheFloorInSilence) {
    // Digital zero and the conversion's ±1e-7 offset both count as silence.
    for (float offset : {0.0f, 1e-7f}) {
        CrackleRemover remover;
        runMono(remover, sine(300.0, 0.5, 5000), 0.5f);
        const auto& predictor = remover.channel(0).predictor();
        EXPECT_GT(*std::max_element(predictor.weights(), predictor.weights() + S::kOrder), 0.01f);
        std::vector<float> silence(40000);
        for (int32_t n = 0; n < 40000; ++n) {
            silence[n] = (n & 1) ? -offset : offset;
        }
        runMono(remover, silence, 0.5f);
        for (int32_t i = 0; i < S::kOrder; ++i) {
            EXPECT_EQ(predictor.weights()[i], S::kWeightFloor) << offset << " " << i;
            EXPECT_EQ(predictor.delayedWeights()[i], S::kWeightFloor) << offset << " " << i;
        }
    }
}

TEST(CrackleRemover, LowersDenseCrackleOnItsChannelOnlyAndMonitorGivesTheRemovedPart) {
    // Crackle on the left only; the right carries a plain sine, which is never detected.
    const int32_t count = 5 * 44100;
    const auto clean = musicBed(count, 4);
    const auto crackled = withTicks(clean, 200.0, 0.3, 5).dirty;
    const auto tone = sine(440.0, 0.5, count);
    CrackleRemover repairing, monitoring;
    monitoring.setMonitor(true);
    const auto repaired = runKernel(repairing, params(0.5f), {crackled, tone}, 4096);
    const auto removed = runKernel(monitoring, params(0.5f), {crackled, tone}, 4096);
    EXPECT_GT(repairing.channel(0).report().repairs, 100);
    EXPECT_EQ(repairing.channel(1).report().repairs, 0);
    const int32_t span = count - S::kLag;
    EXPECT_LT(changeDb(errorEnergy(clean, repaired.left, S::kLag, 0, span),
                       errorEnergy(clean, crackled, 0, 0, span)),
              -5.0);
    for (int32_t n = S::kLag; n < count; ++n) {
        ASSERT_EQ(repaired.right[n], tone[n - S::kLag]) << n;
        ASSERT_NEAR(repaired.left[n] + removed.left[n], crackled[n - S::kLag], 1e-6f) << n;
    }
}
