// The engine's sound card over the virtual wave device: buffer sizes, the two modes and
// the switches between them, and devices that will not open (an output that will not is
// in AEAudioEngineTest).
#include "EngineTestSupport.h"

#include "support/TestDirs.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

using namespace EngineTest;

class AEMMEDeviceTest : public ::testing::Test {
protected:
    AEMMEDeviceTest() { virtualOpener.settings.fast = true; }

    ProjectTest::RecordingHost host;
    TestDir tmp;
    VirtualOpener virtualOpener;
};

TEST_F(AEMMEDeviceTest, SizesFollowTheSettingsInWholeFrames) {
    AEMMEDevice device;
    EXPECT_EQ(device.totalBufferedFrames(true), 32768) << "four buffers of 8192 frames";
    device.setNumPlayBuffers(10);
    device.setPlayBufferSize(8192);
    device.setNumRecBuffers(6);
    device.setRecBufferSize(10002); // not whole frames: rounded down
    EXPECT_EQ(device.totalBufferedFrames(true), 20480);
    EXPECT_EQ(device.bufferMilliseconds(true), 46);
    EXPECT_EQ(device.totalBufferedFrames(false), 15000);
    device.setNumPlayBuffers(40); // the tables hold 16
    EXPECT_EQ(device.getNumPlayBuffers(), AEMMEDevice::kMaxBuffers);
}

TEST_F(AEMMEDeviceTest, OpensInRecordModeAndSwitchesOnlyWhenTheModeChanges) {
    AEMMEDevice device(virtualOpener.opener());
    ASSERT_TRUE(device.open());
    EXPECT_EQ(device.mode(), AEMMEDevice::kModeRecord);
    EXPECT_EQ(*virtualOpener.inputsOpened, 1);
    EXPECT_EQ(*virtualOpener.outputsOpened, 0);
    int16_t* buffer = nullptr;
    std::this_thread::sleep_for(50ms);
    EXPECT_FALSE(device.getBuffer(buffer, 0, true)) << "the input has not been started";
    ASSERT_TRUE(device.startInput());
    ASSERT_TRUE(waitFor([&] { return device.getBuffer(buffer, 0, true); }, 2000));
    EXPECT_NE(buffer, nullptr);
    EXPECT_FALSE(device.getBuffer(buffer, 0, false)) << "no output in record mode";
    EXPECT_FALSE(device.queueBuffer());

    // Switching to the mode already set touches nothing.
    EXPECT_TRUE(device.switchToRecord());
    EXPECT_EQ(*virtualOpener.inputsOpened, 1);
    EXPECT_TRUE(device.inputStarted()) << "the running input was left running";

    ASSERT_TRUE(device.switchToPlay());
    EXPECT_EQ(device.mode(), AEMMEDevice::kModePlay);
    EXPECT_FALSE(device.inputStarted());
    EXPECT_EQ(*virtualOpener.outputsOpened, 1);
    EXPECT_TRUE(device.switchToPlay());
    EXPECT_EQ(*virtualOpener.outputsOpened, 1);
    EXPECT_FALSE(device.startInput()) << "no input in play mode";

    ASSERT_TRUE(device.switchToRecord());
    EXPECT_EQ(device.mode(), AEMMEDevice::kModeRecord);
    EXPECT_EQ(*virtualOpener.inputsOpened, 2);
    EXPECT_FALSE(device.inputStarted()) << "the engine starts the input again itself";
    device.close();
    EXPECT_EQ(device.mode(), AEMMEDevice::kModeNone);
}

TEST_F(AEMMEDeviceTest, AnInputFileThatCannotBeReadFailsTheOpenWithItsReason) {
    virtualOpener.settings.inputPath = tmp.file("missing.wav");
    AEMMEDevice device(virtualOpener.opener());
    EXPECT_FALSE(device.open());
    EXPECT_EQ(device.mode(), AEMMEDevice::kModeRecord) << "playing may still work";
    EXPECT_NE(device.lastError().find("wave in open failed"), std::string::npos);
    EXPECT_FALSE(device.startInput());
    const auto lines = host.logLines;
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), device.lastError());
    EXPECT_TRUE(device.switchToPlay());
}

} // namespace
