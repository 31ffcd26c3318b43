// gleam-cli play and record, run as programs on the virtual wave device: how they read
// their options, what they say when they stop (end of file, time limit, Ctrl-C), their
// failures and exit codes. What the engine plays and records is checked in test_engine.
#include "EngineTestSupport.h"

#include "AEPeakData.h"
#include "AudioFile.h"
#include "AudioTestSupport.h"
#include "FFileSystem.h"

#include "support/CliRun.h"
#include "support/TestDirs.h"

#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

#include <cmath>
#include <csignal>
#include <thread>

namespace {

using namespace EngineTest;

constexpr int32_t kRate = 44100;
// The virtual device starts with its four buffers of silence.
constexpr size_t kLeadIn = 2 * 32768;

using TestCli::CliRun;
using TestCli::q;

class PlayRecordCommandTest : public ::testing::Test {
protected:
    QProcessEnvironment environment(bool fast) const {
        return TestCli::environment({"GLEAM_AUDIO", "virtual", "GLEAM_VIRTUAL_OUTPUT", q(played),
                                     "GLEAM_VIRTUAL_INPUT", q(input), "GLEAM_VIRTUAL_OVERFLOWS",
                                     q(overflows), "GLEAM_VIRTUAL_PACE",
                                     fast ? QString("fast") : QString()});
    }

    CliRun run(const QStringList& args, bool fast = true) const {
        return TestCli::run(GLEAM_CLI, args, environment(fast));
    }

    // `gleam-cli record PATH` in real time, until it says it records.
    void startRecording(QProcess& process, const std::string& path) const {
        process.setProcessEnvironment(environment(false));
        process.start(GLEAM_CLI, {"record", q(path)});
        ASSERT_TRUE(process.waitForStarted());
        ASSERT_TRUE(waitFor(
            [&] {
                process.waitForReadyRead(50);
                return process.peek(4096).contains("recording");
            },
            10000));
    }

    TestDir tmp;
    std::string played = tmp.file("played.wav");
    std::string input = tmp.file("44100-2-16-counting.wav");
    std::string overflows;
};

// --bypass and --mono reach the chain: both sides carry the right channel, scaled by
// 32767/32768 on the way through floats.
TEST_F(PlayRecordCommandTest, PlaysAFileToItsEndWithTheSwitchesGiven) {
    const std::vector<int16_t> file = AudioTest::noise16(2 * kRate, 3);
    const std::string path = tmp.file("44100-2-16-noise.wav");
    ASSERT_TRUE(writeWave(path, file));
    const CliRun result =
        run({"play", q(path), "--bypass", "--noise", "0.5", "--mono", "right", "--quiet"});
    ASSERT_EQ(result.code, 0) << result.err;
    EXPECT_EQ(result.out, path + ": played to the end\n");
    const std::vector<int16_t> out = readStereo16(played);
    ASSERT_GE(out.size(), file.size() + kLeadIn);
    for (size_t i = 0; i < file.size(); i += 2) {
        const int16_t left = out[kLeadIn + i];
        ASSERT_EQ(left, out[kLeadIn + i + 1]) << "frame " << i / 2;
        ASSERT_NEAR(left, file[i + 1], 2) << "frame " << i / 2;
    }
}

TEST_F(PlayRecordCommandTest, ALoopPlaysUntilTheTimeLimit) {
    const std::string path = tmp.file("44100-2-16-counting.wav");
    ASSERT_TRUE(writeWave(path, countingFrames(3 * kRate)));
    const CliRun result = run({"play", q(path), "--loop", "1,1.5", "--seconds", "0.5"});
    ASSERT_EQ(result.code, 0) << result.err;
    EXPECT_EQ(result.out.rfind(path + ": stopped at 0:00:0", 0), 0u) << result.out;
    const std::vector<int16_t> out = readStereo16(played);
    ASSERT_GT(out.size(), kLeadIn);
    EXPECT_EQ(frameNumber(&out[kLeadIn]), kRate) << "from the loop's start";
}

// Wrong options and values out of range exit with 2, a file that cannot be played or
// written with 1, each with the command's name first.
TEST_F(PlayRecordCommandTest, RefusalsExitWithTheirCodeAndReason) {
    const std::string path = tmp.file("44100-2-16-short.wav");
    ASSERT_TRUE(writeWave(path, countingFrames(kRate)));
    const std::pair<QStringList, int> rows[] = {
        {{"play", q(tmp.file("missing.wav"))}, 1},
        {{"play", q(path), "--mono", "up"}, 2},
        {{"play", q(path), "--loop", "3,1"}, 2},
        {{"play", q(path), "--click", "2"}, 2},
        {{"play", q(path), "--loop", "2"}, 2},
        {{"play", q(path), "--loop", "5,6"}, 2},
        {{"record"}, 2},
        {{"record", q(tmp.file("x.wav")), "--seconds", "-1"}, 2},
        {{"record", q(tmp.file("no/such/folder/take.wav")), "--seconds", "1"}, 1},
    };
    for (const auto& [args, code] : rows) {
        const CliRun result = run(args);
        EXPECT_EQ(result.code, code) << args.join(' ').toStdString();
        EXPECT_EQ(result.err.rfind("gleam-cli: " + args[0].toStdString() + ": ", 0), 0u)
            << result.err;
    }
    // Without an input the recording device does not open, and no file is left.
    input = tmp.file("not-a-wave.wav");
    AudioTest::writeBytes(input, AudioTest::Bytes(100, 7));
    const std::string take = tmp.file("take.wav");
    const CliRun result = run({"record", q(take), "--seconds", "1"});
    EXPECT_EQ(result.code, 1);
    EXPECT_EQ(result.err.rfind("gleam-cli: record: cannot open the recording device: ", 0), 0u)
        << result.err;
    EXPECT_FALSE(FFileSystem::exists(take));
}

// The display names the time limit, the end tells the dropouts and the audio they lost.
TEST_F(PlayRecordCommandTest, RecordsForTheTimeGivenAndTellsTheDropouts) {
    ASSERT_TRUE(writeWave(input, countingFrames(30 * kRate)));
    overflows = regularOverflows(5000, 10000, 130, 441);
    const std::string path = tmp.file("recording.wav");
    const CliRun result = run({"record", q(path), "--seconds", "1"});
    ASSERT_EQ(result.code, 0) << result.err;
    EXPECT_NE(result.out.find(path + ": recording, stops by itself at 0:00:01, the time limit\n"),
              std::string::npos)
        << result.out;
    const CountingGaps gaps = gapsIn(readStereo16(path));
    ASSERT_GE(gaps.positions.size(), 2u);
    EXPECT_EQ(result.err, "gleam-cli: record: " + std::to_string(gaps.positions.size()) +
                              " dropouts, " +
                              std::to_string(std::llround(gaps.frames * 1000.0 / kRate)) +
                              " ms of audio lost\n");
}

TEST_F(PlayRecordCommandTest, CtrlCEndsARecordingWithCompleteFiles) {
    ASSERT_TRUE(writeWave(input, countingFrames(20 * kRate)));
    const std::string path = tmp.file("interrupted.wav");
    QProcess process;
    ASSERT_NO_FATAL_FAILURE(startRecording(process, path));
    const auto started = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(1500ms);
    ::kill(static_cast<pid_t>(process.processId()), SIGINT);
    const double ran =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    ASSERT_TRUE(process.waitForFinished(10000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    AudioFile file(path);
    ASSERT_TRUE(file.open(FAccessMode::kRead));
    EXPECT_EQ(AudioTest::fileSize(path), 44 + int64_t{file.frames()} * 4);
    EXPECT_NEAR(file.frames() / double{kRate}, ran, 0.6) << "as long as it ran";
    EXPECT_TRUE(FFileSystem::exists(AEPeakData::peakPath(path)));
}

TEST_F(PlayRecordCommandTest, ARecordingKilledMidwayIsMendedAndImportedAtTheNextStart) {
    ASSERT_TRUE(writeWave(input, countingFrames(20 * kRate)));
    const std::string path = tmp.file("killed.wav");
    QProcess process;
    ASSERT_NO_FATAL_FAILURE(startRecording(process, path));
    // Long enough for a title, however slowly a loaded machine records.
    ASSERT_TRUE(waitFor(
        [&] { return AudioTest::fileSize(path) > 44 + int64_t{73} * kRate * 4 / 10; }, 60000));
    ::kill(static_cast<pid_t>(process.processId()), SIGKILL);
    ASSERT_TRUE(process.waitForFinished(10000));
    const int32_t present = static_cast<int32_t>((AudioTest::fileSize(path) - 44) / 4);
    ASSERT_GT(present, 7 * kRate) << "more than seven seconds were written";
    {
        AudioFile cut(path);
        ASSERT_TRUE(cut.open(FAccessMode::kRead));
        EXPECT_LT(cut.headerFrames(), present) << "the header was never completed";
    }

    // The next start of the program mends the header; the recording then imports whole.
    const std::string project = tmp.file("p.dat");
    ASSERT_EQ(run({"project", q(project), "create"}).code, 0);
    const CliRun imported = run({"project", q(project), "import", q(path), "--quiet"});
    EXPECT_EQ(imported.code, 0) << imported.err;
    EXPECT_NE(imported.err.find(path), std::string::npos) << "the user is told";
    AudioFile mended(path);
    ASSERT_TRUE(mended.open(FAccessMode::kRead));
    EXPECT_EQ(mended.frames(), present);
    EXPECT_EQ(mended.headerFrames(), present);
    mended.close();
    EXPECT_TRUE(gapsIn(readStereo16(path)).positions.empty()) << "every frame as recorded";
    const CliRun listed = run({"project", q(project), "list"});
    EXPECT_NE(listed.out.find("01\tkilled"), std::string::npos) << listed.out;
}

} // namespace
