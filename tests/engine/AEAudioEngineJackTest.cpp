// The audio engine on the PortAudio backend against a JACK server with its dummy backend
// (the CTest fixture "jack"): a recording as long as the time it ran. Playback to the end
// in real time: AEAudioEngineTest on the virtual device; the PortAudio output itself:
// WaveDevicePortAudioTest.
#include "AppHost.h"
#include "EngineTestSupport.h"

#include "AEFileManager.h"
#include "AudioFile.h"
#include "AudioTestSupport.h"
#include "FFileSystem.h"
#include "WaveDeviceSystem.h"

#include "support/TestDirs.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

using namespace EngineTest;

constexpr int32_t kRate = 44100;

class AEAudioEngineJackTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { WaveDeviceSystem::setClientName("gleam-enginetest"); }

    void SetUp() override {
        system = WaveDeviceSystem::acquire(); // held for the whole test
        ASSERT_TRUE(system && !system->jackClientName().empty()) << "no JACK server runs";
    }

    ProjectTest::RecordingHost host;
    TestDir tmp;
    std::shared_ptr<WaveDeviceSystem> system;
};

TEST_F(AEAudioEngineJackTest, ARecordingIsAsLongAsTheTimeItRan) {
    const std::string path = tmp.file("recording.wav");
    {
        AEMMEDevice device;
        AEAudioEngine engine(device);
        ASSERT_TRUE(device.open()) << device.lastError();
        ASSERT_TRUE(engine.startThread());
        ASSERT_TRUE(engine.startInput());
        engine.setMaxRecordFrames(int64_t{600} * kRate);
        engine.setFilePath(path);
        ASSERT_TRUE(engine.record());
        const auto started = std::chrono::steady_clock::now();
        std::this_thread::sleep_for(2500ms);
        EXPECT_EQ(engine.state(), AEAudioEngine::kRecording);
        EXPECT_GT(engine.position(), kRate);
        const AERecordingDropouts::Totals losses = engine.recordingDropouts();
        engine.stop();
        const double ran =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        EXPECT_EQ(losses.count, 0u);
        EXPECT_EQ(losses.frames, 0u);
        EXPECT_EQ(host.count(AppHost::kTagRecordingStopped), 1);
        engine.stopThread();
        device.close();

        AudioFile file(path);
        ASSERT_TRUE(file.open(FAccessMode::kRead));
        EXPECT_EQ(file.sampleRate(), 44100.0f);
        EXPECT_EQ(file.channels(), 2);
        EXPECT_EQ(AudioTest::fileSize(path), 44 + int64_t{file.frames()} * 4);
        // Buffers of 185 ms: the last one, partly recorded, may be missing.
        EXPECT_NEAR(file.frames() / double{kRate}, ran, 0.5);
    }
    EXPECT_TRUE(FFileSystem::exists(AEPeakData::peakPath(path)));
}

} // namespace
