// gleam-cli info: one line per file, and a failing file named on standard error with
// exit status 1.
#include "AudioTestSupport.h"
#include "support/TestDirs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>

using namespace AudioTest;

namespace {

struct Result {
    std::string out;
    std::string err;
    int status = -1;
};

// `prefix` goes before the program, e.g. "timeout 5 ".
Result runInfo(const TestDir& tmp, const std::string& arguments, const std::string& prefix = "") {
    const std::string errPath = tmp.file("stderr.txt");
    const std::string command =
        prefix + std::string(GLEAM_CLI_PATH) + " info " + arguments + " 2>" + errPath;
    Result result;
    std::FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) {
        return result;
    }
    char buffer[512];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        result.out.append(buffer, got);
    }
    int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    Bytes err = readBytes(errPath);
    result.err.assign(err.begin(), err.end());
    return result;
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
    Result result = runInfo(tmp, wave + " " + aiff + " " + aifc);
    EXPECT_EQ(result.status, 0);
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
    Result result = runInfo(tmp, broken + " " + good + " " + other);
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.out.find(good + ": WAVE"), std::string::npos);
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 2);
    EXPECT_NE(result.err.find(broken + "\": not an audio file"), std::string::npos) << result.err;
    EXPECT_NE(result.err.find(other), std::string::npos);
    EXPECT_EQ(runInfo(tmp, "").status, 2);
}

TEST(InfoCommandTest, FileCutShortShowsItsFramesAndWhatTheHeaderClaims) {
    TestDir tmp;
    const std::string path = tmp.file("44100-2-16.wav");
    ASSERT_TRUE(writeSystemFile(path, noise16(2 * 1000, 72), 2));
    Bytes bytes = readBytes(path);
    bytes.resize(44 + 4 * 600 + 3);
    writeBytes(path, bytes);
    Result result = runInfo(tmp, path);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, path + ": WAVE, 44100 Hz, 16 bits, 2 channels, 600 frames, 0:00:00, " +
                              "data offset 44, truncated: header says 1000 frames\n");
}

TEST(InfoCommandTest, PipeIsRefusedAtOnceWithItsReason) {
    TestDir tmp;
    const std::string fifo = tmp.file("pipe.wav");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const auto start = std::chrono::steady_clock::now();
    // A reader waiting for a writer would be stopped after five seconds, not hang the test.
    Result result = runInfo(tmp, fifo, "timeout 5 ");
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_LT(elapsed, std::chrono::seconds(1));
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("not a regular file"), std::string::npos) << result.err;
}

} // namespace
