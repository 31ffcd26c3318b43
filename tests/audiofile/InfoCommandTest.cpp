// gleam-cli info: one line per file, and a failing file named on standard error with
// exit status 1.
#include "AudioTestSupport.h"
#include "support/CliRun.h"
#include "support/TestDirs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

using namespace AudioTest;
using TestCli::q;

namespace {

TestCli::CliRun runInfo(const std::vector<std::string>& paths) {
    QStringList args = {"info"};
    for (const auto& path : paths) {
        args << q(path);
    }
    return TestCli::cli(args);
}

TEST(InfoCommandTest, PrintsKindFormatFramesDurationAndDataOffset) {
    TestDir tmp;
    const std::string wave = tmp.file("44100-2-16.wav");
    ASSERT_TRUE(writeSystemFile(wave, noise16(2 * 88200, 70), 2));
    // One frame per second: 3 725 frames last 1:02:05 in a small file.
    const std::string aiff = tmp.file("1-1-16.aif");
    writeBytes(aiff, formImage("AIFF", {{"COMM", commBody(1, 3725, 16, 1.0)},
                                        {"SSND", ssndBody(0, Bytes(2 * 3725, 0))}}));
    const std::string aifc = tmp.file("48000-1-8.aifc");
    writeBytes(aifc, formImage("AIFC", {{"COMM", commBody(1, 4, 8, 48000.0)},
                                        {"SSND", ssndBody(0, Bytes(4, 0))}}));
    const auto result = runInfo({wave, aiff, aifc});
    EXPECT_EQ(result.code, 0);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(
        result.out,
        wave + ": WAVE, 44100 Hz, 16 bits, 2 channels, 88200 frames, 0:00:02, data offset 44\n" +
            aiff + ": AIFF, 1 Hz, 16 bits, 1 channel, 3725 frames, 1:02:05, data offset 54\n" +
            aifc + ": AIFC, 48000 Hz, 8 bits, 1 channel, 4 frames, 0:00:00, data offset 54\n");
}

TEST(InfoCommandTest, FileThatDoesNotOpenIsNamedOnStandardError) {
    TestDir tmp;
    const std::string good = tmp.file("44100-1-16.wav");
    ASSERT_TRUE(writeSystemFile(good, noise16(10, 71), 1));
    const std::string broken = tmp.file("broken.wav");
    writeBytes(broken, Bytes(64, 'x'));
    const std::string other = tmp.file("notes.txt");
    writeBytes(other, Bytes(64, 'x'));
    const auto result = runInfo({broken, good, other});
    EXPECT_EQ(result.code, 1);
    EXPECT_NE(result.out.find(good + ": WAVE"), std::string::npos);
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 2);
    EXPECT_NE(result.err.find(broken + "\": not an audio file"), std::string::npos) << result.err;
    EXPECT_NE(result.err.find(other), std::string::npos);
    EXPECT_EQ(runInfo({}).code, 2);
}

TEST(InfoCommandTest, FileCutShortShowsItsFramesAndWhatTheHeaderClaims) {
    TestDir tmp;
    const std::string path = tmp.file("44100-2-16.wav");
    ASSERT_TRUE(writeSystemFile(path, noise16(2 * 1000, 72), 2));
    Bytes bytes = readBytes(path);
    bytes.resize(44 + 4 * 600 + 3);
    writeBytes(path, bytes);
    const auto result = runInfo({path});
    EXPECT_EQ(result.code, 0) << result.err;
    EXPECT_EQ(result.out, path + ": WAVE, 44100 Hz, 16 bits, 2 channels, 600 frames, 0:00:00, " +
                              "data offset 44, truncated: header says 1000 frames\n");
}

} // namespace
