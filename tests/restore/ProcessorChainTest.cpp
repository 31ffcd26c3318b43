#include "ProcessorChain.h"
#include "SignalTestSupport.h"

#include <thread>

using namespace signal_test;

namespace {

constexpr int32_t kLimiterLatency = 2135;
constexpr int32_t kCeiling = 32673; // 10^(-0.025/20) × 32767

// One frame's sample through the chain's conversions: in with the offset of its frame
// parity within the call, out through × 32767, truncated.
int16_t roundTrip(int16_t s, int32_t frameInCall) {
    const float d = (frameInCall & 1) ? -1e-7f : 1e-7f;
    const float v = s * (1.0f / 32768.0f) + d;
    return static_cast<int16_t>(static_cast<int32_t>(static_cast<double>(v) * 32767.0));
}

// What the main window does when the values are applied: slots 0..5, then 7, then 6.
void applyValues(ProcessorChain& chain, const std::array<float, 6>& values) {
    for (int32_t slot = 0; slot < 6; ++slot) {
        chain.createProcessor(slot, values[slot]);
    }
    chain.createProcessor(7, 0.0f);
    chain.createProcessor(6, 0.0f);
}

std::vector<int16_t> runChain(ProcessorChain& chain, std::vector<int16_t> data, int32_t block) {
    const int32_t total = static_cast<int32_t>(data.size() / 2);
    for (int32_t at = 0; at < total; at += block) {
        chain.processBuffer(data.data() + 2 * at, std::min(block, total - at));
    }
    return data;
}

std::vector<int16_t> musicLike(int32_t count, uint32_t seed, double level = 1.0) {
    const auto hiss = noise(count, 3000.0 * level, seed);
    return frames(
        count,
        [&](int32_t i) {
            return std::lround(level * 12000.0 * std::sin(2 * std::numbers::pi * 55.0 * i / kRate) +
                               hiss[i]);
        },
        [&](int32_t i) {
            return std::lround(
                level * 9000.0 * std::sin(2 * std::numbers::pi * 3520.0 * i / kRate) - hiss[i]);
        });
}

std::vector<int16_t> sixtyHertzOnTheLeft(int32_t count, double amplitude) {
    return frames(
        count,
        [=](int32_t i) {
            return std::lround(amplitude * std::sin(2 * std::numbers::pi * 60.0 * i / kRate));
        },
        [](int32_t) { return 0; });
}

// Gain of the left channel's 60 Hz tone from frame `from` to the end, against `amplitude`.
double leftGainAtSixtyHertzDb(const std::vector<int16_t>& output, int32_t from, double amplitude) {
    std::vector<float> left;
    for (size_t i = 2 * static_cast<size_t>(from); i < output.size(); i += 2) {
        left.push_back(output[i]);
    }
    return dB(toneAmplitude(left.data(), static_cast<int32_t>(left.size()), 60.0) / amplitude);
}

struct ChainFixture : ::testing::Test {
    std::shared_ptr<ProcessorSwitches> switches = std::make_shared<ProcessorSwitches>();
    ProcessorChain chain{switches};
};

} // namespace

TEST_F(ChainFixture, EverySlotHoldsItsProcessorOnceTheValuesAreApplied) {
    applyValues(chain, {0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f});
    for (int32_t slot = 0; slot < 6; ++slot) {
        EXPECT_EQ(chain.slotValue(slot), 0.5f) << slot;
    }
    for (int32_t slot = 0; slot < 8; ++slot) {
        EXPECT_TRUE(chain.hasProcessor(slot)) << slot;
    }
    EXPECT_FALSE(chain.createProcessor(8, 0.0f));
    EXPECT_FALSE(chain.createProcessor(-1, 0.0f));
    // The block still runs, through the conversions and the tone stages.
    auto data = runChain(chain, musicLike(8192, 1), 4096);
    EXPECT_NE(data, musicLike(8192, 1));
}

TEST_F(ChainFixture, ReportsEachSlotsLatency) {
    applyValues(chain, {0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f});
    EXPECT_EQ(chain.latency(0), 4096);
    EXPECT_EQ(chain.latency(1), 0); // its 18 samples are not compensated
    EXPECT_EQ(chain.latency(3), 0);
    EXPECT_EQ(chain.latency(4), 0);
    EXPECT_EQ(chain.latency(5), 20);
    EXPECT_EQ(chain.latency(6), kLimiterLatency);
    EXPECT_EQ(chain.latency(7), 0);
}

TEST_F(ChainFixture, ZeroValuesGiveTheConvertedInputDelayedByBrillianceAndLimiter) {
    applyValues(chain, {0, 0, 0, 0, 0, 0});
    // The noise reducer changes the sound even at 0 (gains above 1): leave it out here.
    switches->setProcessorOff(2, true);
    // So do the click remover's 4096 frames of delay and the crackle remover's 18.
    switches->setProcessorOff(0, true);
    switches->setProcessorOff(1, true);
    const auto input = musicLike(20000, 2, 0.5);
    const auto output = runChain(chain, input, 4096);
    const int32_t delay = 20 + kLimiterLatency;
    for (int32_t n = delay; n < 20000; ++n) {
        const int32_t from = n - delay;
        ASSERT_EQ(output[2 * n], roundTrip(input[2 * from], from % 4096)) << n;
        ASSERT_EQ(output[2 * n + 1], roundTrip(input[2 * from + 1], from % 4096)) << n;
    }
}

TEST_F(ChainFixture, AllSixOffSwitchesLeaveConversionAndLimiter) {
    applyValues(chain, {1, 1, 1, 1, 1, 1});
    for (int32_t slot = 0; slot < 6; ++slot) {
        switches->setProcessorOff(slot, true);
    }
    const int32_t count = 40000, burst = 20000;
    auto input = musicLike(count, 3, 0.6);
    for (int32_t i = burst; i < burst + 10000; ++i) {
        const auto s =
            static_cast<int16_t>(std::lround(32767 * std::sin(2 * std::numbers::pi * i / 50.0)));
        input[2 * i] = s;
        input[2 * i + 1] = static_cast<int16_t>(-s);
    }
    const auto output = runChain(chain, input, 4096);
    for (int32_t n = kLimiterLatency; n < burst + kLimiterLatency - 100; ++n) {
        const int32_t from = n - kLimiterLatency;
        ASSERT_EQ(output[2 * n], roundTrip(input[2 * from], from % 4096)) << n;
        ASSERT_EQ(output[2 * n + 1], roundTrip(input[2 * from + 1], from % 4096)) << n;
    }
    int32_t peak = 0;
    for (int16_t s : output) {
        peak = std::max(peak, std::abs(static_cast<int32_t>(s)));
    }
    EXPECT_LE(peak, kCeiling);
    EXPECT_GE(peak, kCeiling - 30);
}

TEST_F(ChainFixture, BypassConvertsOnlyAndKeepsTheFades) {
    applyValues(chain, {1, 1, 1, 1, 1, 1});
    switches->setBypassButton(true);
    const int32_t count = 4000;
    auto input = frames(
        count, [](int32_t) { return 32767; }, [](int32_t i) { return -1000 * (i % 30); });
    auto output = runChain(chain, input, 2000);
    for (int32_t n = 0; n < count; ++n) {
        ASSERT_EQ(output[2 * n], (n % 2) == 0 ? 32766 : 32765) << n; // no delay
        ASSERT_EQ(output[2 * n + 1], roundTrip(input[2 * n + 1], n % 2000)) << n;
    }

    chain.setPosition(0);
    chain.setFades(0, 100, 1000, 1100);
    output = runChain(chain, input, 2000);
    EXPECT_EQ(output[2 * 50], static_cast<int16_t>(32766 * 0.5f));
    EXPECT_EQ(output[2 * 500], 32766);
    for (int32_t n = 1101; n < count; ++n) {
        ASSERT_EQ(output[2 * n], 0) << n;
    }
}

TEST_F(ChainFixture, MonoOnTheRightChannelCarriesItToBothSides) {
    switches->setMonoButton(true);
    switches->setMonoUseLeft(false);
    applyValues(chain, {0.5f, 0.5f, 0.5f, 0.7f, 0.5f, 0.9f});
    const int32_t count = 20000;
    const auto input = musicLike(count, 4);
    const auto output = runChain(chain, input, 4096);

    // The same processing in stereo with the right channel on both sides.
    auto rightTwice = input;
    for (int32_t i = 0; i < count; ++i) {
        rightTwice[2 * i] = input[2 * i + 1];
    }
    ProcessorChain stereo{std::make_shared<ProcessorSwitches>()};
    applyValues(stereo, {0.5f, 0.5f, 0.5f, 0.7f, 0.5f, 0.9f});
    const auto expected = runChain(stereo, rightTwice, 4096);
    for (int32_t i = 0; i < count; ++i) {
        ASSERT_EQ(output[2 * i], output[2 * i + 1]) << i;
    }
    EXPECT_EQ(output, expected);
}

TEST_F(ChainFixture, ForceOnIgnoresTheOffSwitchButNotBypass) {
    switches->setProcessorOff(3, true);
    chain.createProcessor(3, 1.0f, true);
    chain.createProcessor(6, 0.0f);
    const auto input = sixtyHertzOnTheLeft(20000, 1000);
    auto output = runChain(chain, input, 4096);
    EXPECT_NEAR(leftGainAtSixtyHertzDb(output, 12000, 1000), 24.0, 0.5);

    switches->setBypassButton(true);
    output = runChain(chain, input, 4096);
    for (int32_t i = 0; i < 20000; ++i) {
        ASSERT_NEAR(output[2 * i], input[2 * i], 2) << i;
    }
}

TEST_F(ChainFixture, WidenerAtFullValueDoublesTheSide) {
    chain.createProcessor(4, 1.0f);
    chain.createProcessor(6, 0.0f);
    const auto input = frames(
        8192, [](int32_t i) { return 4000 + (i % 7) * 10; }, [](int32_t) { return 1000; });
    const auto output = runChain(chain, input, 8192);
    for (int32_t n = kLimiterLatency; n < 8192; ++n) {
        const int32_t from = n - kLimiterLatency;
        const int32_t side = input[2 * from] - input[2 * from + 1];
        const int32_t mid = input[2 * from] + input[2 * from + 1];
        ASSERT_NEAR(output[2 * n] - output[2 * n + 1], 2 * side, 3) << n;
        ASSERT_NEAR(output[2 * n] + output[2 * n + 1], mid, 3) << n;
    }
}

TEST_F(ChainFixture, OutputDoesNotDependOnEvenBlockSizes) {
    // The conversion offset restarts with every call, so only calls of even length keep
    // its alternation across call boundaries.
    const int32_t count = 50000;
    const auto input = musicLike(count, 5);
    auto reference = [&] {
        ProcessorChain whole{switches};
        applyValues(whole, {0, 0, 0, 0.6f, 0.8f, 0.7f});
        return runChain(whole, input, count);
    }();
    for (int32_t block : {2, 38, 4096, 16384}) {
        ProcessorChain blocked{switches};
        applyValues(blocked, {0, 0, 0, 0.6f, 0.8f, 0.7f});
        EXPECT_EQ(runChain(blocked, input, block), reference) << block;
    }
}

TEST_F(ChainFixture, RecreatingTheLimiterStartsItAfresh) {
    applyValues(chain, {0, 0, 0, 0, 0, 0});
    const auto input = musicLike(8192, 6, 0.5);
    runChain(chain, input, 4096);
    chain.createProcessor(6, 0.0f);
    const auto output = runChain(chain, input, 4096);
    for (int32_t n = 0; n < kLimiterLatency; ++n) {
        ASSERT_EQ(output[2 * n], 0) << n;
    }
    EXPECT_NE(output[2 * (kLimiterLatency + 100)], 0);
}

TEST_F(ChainFixture, ARunsOwnSwitchSetIsNotTouchedByTheApplicationsButtons) {
    // The application is in mono; a processing run's chain keeps its own stereo set.
    switches->setMonoButton(true);
    auto runSwitches = std::make_shared<ProcessorSwitches>();
    ProcessorChain run{runSwitches};
    for (int32_t slot = 3; slot < 6; ++slot) {
        run.createProcessor(slot, 0.5f, true);
    }
    run.createProcessor(6, 0.0f, true);
    const auto input = frames(
        8192, [](int32_t) { return 5000; }, [](int32_t) { return -5000; });
    const auto output = runChain(run, input, 4096);
    EXPECT_GT(output[2 * 8000], 4000);
    EXPECT_LT(output[2 * 8000 + 1], -4000);
}

TEST_F(ChainFixture, FloatStagesReachTheFramesEvenWithoutALimiter) {
    chain.createProcessor(3, 1.0f);
    const auto input = sixtyHertzOnTheLeft(20000, 1000);
    const auto output = runChain(chain, input, 4096);
    EXPECT_NEAR(leftGainAtSixtyHertzDb(output, 12000, 1000), 24.0, 0.5);
}

TEST_F(ChainFixture, FadesAloneWorkOnTheUntouchedFrames) {
    chain.createProcessor(7, 0.0f);
    chain.setFades(10, 20, 80, 90);
    auto output = runChain(chain,
                           frames(
                               100, [](int32_t) { return 32767; }, [](int32_t) { return -32768; }),
                           100);
    EXPECT_EQ(output[2 * 50], 32767);
    EXPECT_EQ(output[2 * 50 + 1], -32768);
    EXPECT_EQ(output[2 * 5], 0);
}

TEST_F(ChainFixture, SlotsCanBeReplacedWhileBlocksRun) {
    applyValues(chain, {0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f});
    std::atomic<bool> stop{false};
    std::thread sliders([&] {
        for (int i = 0; i < 200 && !stop; ++i) {
            applyValues(chain, {0, 0, 0, (i % 10) / 10.0f, 0.5f, 0.3f});
            chain.setFades(-1, -1, -1, -1);
        }
    });
    auto data = musicLike(4096, 7);
    for (int i = 0; i < 400; ++i) {
        chain.processBuffer(data.data(), 4096);
    }
    stop = true;
    sliders.join();
    EXPECT_TRUE(chain.hasProcessor(6));
}
