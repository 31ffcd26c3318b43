// The virtual wave device: callbacks, the input as the input file, pause, stop, reset,
// close, bad buffers and bad files. What it plays and records for the
// engine is checked in test_engine.
#include "WaveDeviceVirtual.h"
#include "AudioTestSupport.h"
#include "support/TestDirs.h"
#include "support/WaveTestStreams.h"

#include <gtest/gtest.h>

#include <thread>

using namespace std::chrono_literals;

namespace {

constexpr int64_t kRate = WaveFormat::kSampleRate;

std::unique_ptr<WaveDevice> openVirtual(WaveDirection direction,
                                        const WaveDeviceVirtual::Settings& settings,
                                        WaveDevice::DoneCallback callback) {
    WaveResult result = WaveResult::kOk;
    auto device = WaveDeviceVirtual::open(direction, 0, std::move(callback), settings, result);
    EXPECT_EQ(result, WaveResult::kOk) << waveResultText(result);
    return device;
}

// A virtual device that calls `buffers` back, with every one of them prepared, and the
// first `queued` of them queued.
std::unique_ptr<WaveDevice> openWith(WaveTestBuffers& buffers, WaveDirection direction,
                                     const WaveDeviceVirtual::Settings& settings = {},
                                     size_t queued = 0) {
    auto device = openVirtual(direction, settings, buffers.callback());
    if (device) {
        EXPECT_TRUE(buffers.prepareAll(*device));
        for (size_t i = 0; i < queued; ++i) {
            EXPECT_EQ(device->queue(buffers.header(i)), WaveResult::kOk);
        }
    }
    return device;
}

WaveDeviceVirtual::Settings fastSettings() {
    WaveDeviceVirtual::Settings settings;
    settings.fast = true;
    return settings;
}

// The indices 0, 1, .. count-1 repeated, as a ring of `count` buffers completes them.
std::vector<size_t> ringOrder(size_t completions, size_t count) {
    std::vector<size_t> order;
    for (size_t i = 0; i < completions; ++i) {
        order.push_back(i % count);
    }
    return order;
}

void closeCleanly(WaveDevice& device) {
    EXPECT_EQ(device.reset(), WaveResult::kOk);
    EXPECT_EQ(device.close(), WaveResult::kOk);
}

class WaveDeviceVirtualTest : public ::testing::Test {
protected:
    TestDir tmp;
};

TEST_F(WaveDeviceVirtualTest, RecordingIsTheInputFileSampleForSampleThenSilence) {
    // Not a whole number of buffers, so the file ends inside one.
    const int64_t fileFrames = 3 * kRate / 2 + 123;
    const std::vector<int16_t> input = AudioTest::noise16(fileFrames * 2, 11);
    auto settings = fastSettings();
    settings.inputPath = tmp.file("in-44100-2-16.wav");
    ASSERT_TRUE(AudioTest::writeSystemFile(settings.inputPath, input, 2));

    WaveTestBuffers buffers(4, 4096);
    const size_t wanted = static_cast<size_t>(fileFrames) + 3 * 4096;
    WaveTestRecorder recorder(wanted, buffers);
    auto device = openVirtual(WaveDirection::kInput, settings, recorder.callback());
    ASSERT_TRUE(device);
    ASSERT_TRUE(recorder.begin(*device));
    EXPECT_EQ(device->start(), WaveResult::kOk);
    ASSERT_TRUE(recorder.waitFinished(10s));
    closeCleanly(*device);

    const std::vector<int16_t> recording = recorder.recording();
    ASSERT_GE(recording.size(), wanted * 2);
    EXPECT_TRUE(std::equal(input.begin(), input.end(), recording.begin()));
    EXPECT_TRUE(std::all_of(recording.begin() + static_cast<int64_t>(input.size()),
                            recording.begin() + static_cast<int64_t>(wanted * 2),
                            [](int16_t s) { return s == 0; }));
    EXPECT_EQ(recorder.failures(), 0);
    EXPECT_EQ(device->stats().droppedFrames, 0u);
    // Every buffer of the ring in turn.
    const auto order = buffers.completed();
    EXPECT_EQ(std::vector<size_t>(order.begin(), order.begin() + 8), ringOrder(8, 4));
}

// Reset calls every queued buffer back, done and in order, before it returns: output
// buffers unplayed, input buffers with what they hold (the first partly filled).
TEST_F(WaveDeviceVirtualTest, ResetReturnsEveryQueuedBufferDoneInOrder) {
    for (const WaveDirection direction : {WaveDirection::kOutput, WaveDirection::kInput}) {
        const bool input = direction == WaveDirection::kInput;
        WaveTestBuffers buffers(3, static_cast<uint32_t>(kRate)); // a second each
        auto device = openWith(buffers, direction, {}, 3);
        ASSERT_TRUE(device);
        EXPECT_EQ(device->start(), WaveResult::kOk);
        std::this_thread::sleep_for(200ms);
        EXPECT_EQ(device->queuedBuffers(), 3u);
        EXPECT_EQ(device->reset(), WaveResult::kOk);
        EXPECT_EQ(buffers.completed(), ringOrder(3, 3));
        EXPECT_EQ(device->queuedBuffers(), 0u);
        for (size_t i = 0; i < 3; ++i) {
            EXPECT_TRUE(buffers.header(i).isDone());
            EXPECT_FALSE(buffers.header(i).isQueued());
            EXPECT_TRUE(buffers.header(i).isPrepared());
            if (input && i > 0) {
                EXPECT_EQ(buffers.header(i).bytesRecorded.load(), 0u);
            }
        }
        if (!input) {
            EXPECT_EQ(device->stats().frames, 0u);
            EXPECT_EQ(device->close(), WaveResult::kOk);
            continue;
        }
        const uint32_t partial = buffers.header(0).bytesRecorded.load();
        EXPECT_GT(partial, 0u);
        EXPECT_LT(partial, buffers.header(0).bufferLength);
        EXPECT_EQ(partial % WaveFormat::kBytesPerFrame, 0u);
        // Reset stops the input: a buffer queued now stays empty.
        ASSERT_EQ(device->queue(buffers.header(0)), WaveResult::kOk);
        std::this_thread::sleep_for(100ms);
        EXPECT_EQ(buffers.completed().size(), 3u);
        closeCleanly(*device);
        EXPECT_EQ(buffers.completed().size(), 4u);
    }
}

TEST_F(WaveDeviceVirtualTest, StoppedInputHandsOverThePartlyFilledBuffer) {
    WaveTestBuffers buffers(2, static_cast<uint32_t>(2 * kRate));
    auto device = openWith(buffers, WaveDirection::kInput, {}, 2);
    ASSERT_TRUE(device);
    EXPECT_EQ(device->start(), WaveResult::kOk);
    std::this_thread::sleep_for(150ms);
    EXPECT_EQ(device->pause(), WaveResult::kOk);
    ASSERT_TRUE(buffers.waitCompleted(1, 2s));
    EXPECT_EQ(buffers.completed(), std::vector<size_t>{0});
    const uint32_t partial = buffers.header(0).bytesRecorded.load();
    EXPECT_GT(partial, 0u);
    EXPECT_LT(partial, buffers.header(0).bufferLength);
    // The empty buffer waits for the next start.
    EXPECT_TRUE(buffers.header(1).isQueued());
    EXPECT_EQ(device->queuedBuffers(), 1u);
    closeCleanly(*device);
}

TEST_F(WaveDeviceVirtualTest, PausedOutputHoldsItsBuffersUntilRestarted) {
    WaveTestBuffers buffers(2, 1024);
    auto device = openWith(buffers, WaveDirection::kOutput, fastSettings());
    ASSERT_TRUE(device);
    EXPECT_EQ(device->pause(), WaveResult::kOk);
    ASSERT_EQ(device->queue(buffers.header(0)), WaveResult::kOk);
    ASSERT_EQ(device->queue(buffers.header(1)), WaveResult::kOk);
    std::this_thread::sleep_for(150ms);
    EXPECT_TRUE(buffers.completed().empty());
    EXPECT_EQ(device->start(), WaveResult::kOk);
    ASSERT_TRUE(buffers.waitCompleted(2, 2s));
    EXPECT_EQ(buffers.completed(), ringOrder(2, 2));
    closeCleanly(*device);
}

TEST_F(WaveDeviceVirtualTest, InputWithoutFreeBuffersDropsFrames) {
    WaveTestBuffers buffers(1, 1024);
    auto device = openWith(buffers, WaveDirection::kInput, {}, 1);
    ASSERT_TRUE(device);
    EXPECT_EQ(device->start(), WaveResult::kOk);
    ASSERT_TRUE(buffers.waitCompleted(1, 2s));
    std::this_thread::sleep_for(200ms);
    EXPECT_GT(device->stats().droppedFrames, static_cast<uint64_t>(kRate / 10));
    closeCleanly(*device);
}

TEST(WaveDeviceVirtualOverflows, ListsAreReadOrRefusedWhole) {
    const std::pair<const char*, int> cases[] = {
        {"", 0},       {"100:50,151:10", 2}, {"100:50,150:10", -1}, // touching runs would be one
        {"100:0", -1}, {"100", -1},          {"100:5,", -1},        {"1:5;9:5", -1},
    };
    for (const auto& [text, count] : cases) {
        const auto parsed = WaveDeviceVirtual::parseOverflows(text);
        EXPECT_EQ(parsed ? static_cast<int>(parsed->size()) : -1, count) << text;
    }
}

TEST_F(WaveDeviceVirtualTest, HeadersAreCheckedBeforeTheyAreQueued) {
    WaveTestBuffers buffers(1, 1024);
    auto device = openVirtual(WaveDirection::kOutput, {}, buffers.callback());
    ASSERT_TRUE(device);
    WaveHeader header;
    uint8_t bytes[8] = {};
    header.data = bytes;
    header.bufferLength = 6;
    EXPECT_EQ(device->prepare(header), WaveResult::kBadBuffer); // not whole frames
    EXPECT_EQ(device->queue(header), WaveResult::kNotPrepared);

    WaveHeader& good = buffers.header(0);
    ASSERT_EQ(device->pause(), WaveResult::kOk);
    ASSERT_EQ(device->prepare(good), WaveResult::kOk);
    ASSERT_EQ(device->queue(good), WaveResult::kOk);
    EXPECT_EQ(device->queue(good), WaveResult::kStillQueued);
    EXPECT_EQ(device->unprepare(good), WaveResult::kStillQueued);
    EXPECT_EQ(device->close(), WaveResult::kStillQueued);
    EXPECT_EQ(device->reset(), WaveResult::kOk);
    EXPECT_EQ(device->unprepare(good), WaveResult::kOk);
    EXPECT_EQ(device->queue(good), WaveResult::kNotPrepared);
    EXPECT_EQ(device->close(), WaveResult::kOk);
    ASSERT_EQ(device->prepare(good), WaveResult::kOk);
    EXPECT_EQ(device->queue(good), WaveResult::kClosed);
    EXPECT_EQ(device->close(), WaveResult::kClosed);
}

TEST_F(WaveDeviceVirtualTest, FilesThatCannotServeFailTheOpen) {
    WaveResult result = WaveResult::kOk;
    WaveDeviceVirtual::Settings settings;
    settings.inputPath = tmp.file("missing.wav");
    EXPECT_FALSE(WaveDeviceVirtual::open(WaveDirection::kInput, 0, {}, settings, result));
    EXPECT_EQ(result, WaveResult::kFileFailed);

    settings.outputPath = tmp.file("no-such-folder/out.wav");
    EXPECT_FALSE(WaveDeviceVirtual::open(WaveDirection::kOutput, 0, {}, settings, result));
    EXPECT_EQ(result, WaveResult::kFileFailed);

    EXPECT_FALSE(WaveDeviceVirtual::open(WaveDirection::kOutput, 1, {}, {}, result));
    EXPECT_EQ(result, WaveResult::kBadDeviceNumber);
}

} // namespace
