#include "ProcessorChain.h"
#include "KernelTestSupport.h"

#include <thread>

using namespace kernel_test;
using namespace TestSignals;

namespace {

constexpr int32_t kLimiterLatency = 2135;
constexpr int32_t kCeiling = 32673; // 10^(-0.025/20) × 32767

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

struct ChainFixture : ::testing::Test {
    std::shared_ptr<ProcessorSwitches> switches = std::make_shared<ProcessorSwitches>();
    ProcessorChain chain{switches};
};

} // namespace

TEST_F(ChainFixture, EverySlotHoldsItsProcessorWithItsLatencyOnceTheValuesAreApplied) {
    applyValues(chain, {0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f});
    // The crackle remover's 18 samples are not compensated.
    const int32_t latencies[8] = {4096, 0, 769, 0, 0, 20, kLimiterLatency, 0};
    for (int32_t slot = 0; slot < 8; ++slot) {
        EXPECT_TRUE(chain.hasProcessor(slot)) << slot;
        EXPECT_EQ(chain.latency(slot), latencies[slot]) << slot;
        EXPECT_EQ(chain.slotValue(slot), slot < 6 ? 0.5f : 0.0f) << slot;
    }
    EXPECT_FALSE(chain.createProcessor(8, 0.0f));
    EXPECT_FALSE(chain.createProcessor(-1, 0.0f));
    // The block still runs, through the conversions and the tone stages.
    EXPECT_NE(runChain(chain, TestSignals::wornMusic16(8192, 0, 1500.0, 1), 4096),
              TestSignals::wornMusic16(8192, 0, 1500.0, 1));
}

TEST(ProcessorChain, StagesOffOrAtZeroLeaveTheConvertedInputDelayedAndLimited) {
    // The noise reducer changes the sound even at 0 (gains above 1), and the click and
    // crackle removers delay it: with all values 0 they are off, the brilliance stage at 0
    // only delays; then all six off at full values. A loud stretch shows the limiter.
    const int32_t count = 40000, burst = 20000;
    auto input = TestSignals::wornMusic16(count, 0, 1500.0, 3);
    for (int32_t i = burst; i < burst + 10000; ++i) {
        const auto s =
            static_cast<int16_t>(std::lround(32767 * std::sin(2 * std::numbers::pi * i / 50.0)));
        input[2 * i] = s;
        input[2 * i + 1] = static_cast<int16_t>(-s);
    }
    const struct {
        float value;
        int32_t off; // slots 0 .. off − 1
        int32_t delay;
    } rows[] = {{0.0f, 3, 20 + kLimiterLatency}, {1.0f, 6, kLimiterLatency}};
    for (const auto& row : rows) {
        auto switches = std::make_shared<ProcessorSwitches>();
        ProcessorChain chain{switches};
        applyValues(chain, {row.value, row.value, row.value, row.value, row.value, row.value});
        for (int32_t slot = 0; slot < row.off; ++slot) {
            switches->setProcessorOff(slot, true);
        }
        const auto output = runChain(chain, input, 4096);
        for (int32_t n = row.delay; n < burst + kLimiterLatency - 100; ++n) {
            const int32_t from = n - row.delay;
            ASSERT_EQ(output[2 * n], roundTrip(input[2 * from], from % 4096)) << n;
            ASSERT_EQ(output[2 * n + 1], roundTrip(input[2 * from + 1], from % 4096)) << n;
        }
        int32_t peak = 0;
        for (int16_t s : output) {
            peak = std::max(peak, std::abs(static_cast<int32_t>(s)));
        }
        EXPECT_LE(peak, kCeiling) << row.value;
        EXPECT_GE(peak, kCeiling - 30) << row.value;
    }
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
    const auto input = TestSignals::wornMusic16(count, 0, 1500.0, 4);
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

TEST_F(ChainFixture, ForceOnIgnoresTheOffSwitchButNotBypassAndNeedsNoLimiter) {
    // The float stages reach the frames even without a limiter behind them.
    switches->setProcessorOff(3, true);
    chain.createProcessor(3, 1.0f, true);
    const auto input = TestSignals::stereoSine16(20000, 60.0, 1000, 0);
    auto output = runChain(chain, input, 4096);
    std::vector<float> left(8000);
    for (int32_t i = 0; i < 8000; ++i) {
        left[i] = output[2 * (12000 + i)];
    }
    EXPECT_NEAR(dB(toneAmplitude(left.data(), 8000, 60.0) / 1000.0), 24.0, 0.5);

    switches->setBypassButton(true);
    output = runChain(chain, input, 4096);
    for (int32_t i = 0; i < 20000; ++i) {
        ASSERT_NEAR(output[2 * i], input[2 * i], 2) << i;
    }
}

TEST_F(ChainFixture, OutputDoesNotDependOnEvenBlockSizes) {
    // The conversion offset restarts with every call, so only calls of even length keep
    // its alternation across call boundaries.
    const int32_t count = 50000;
    const auto input = TestSignals::wornMusic16(count, 0, 1500.0, 5);
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

TEST_F(ChainFixture, SlotsCanBeReplacedWhileBlocksRun) {
    applyValues(chain, {0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f});
    std::atomic<bool> stop{false};
    std::thread sliders([&] {
        for (int i = 0; i < 200 && !stop; ++i) {
            applyValues(chain, {0, 0, 0, (i % 10) / 10.0f, 0.5f, 0.3f});
            chain.setFades(-1, -1, -1, -1);
        }
    });
    auto data = TestSignals::wornMusic16(8192, 0, 1500.0, 7);
    for (int i = 0; i < 400; ++i) {
        chain.processBuffer(data.data(), 4096);
    }
    stop = true;
    sliders.join();
    EXPECT_TRUE(chain.hasProcessor(6));
}
