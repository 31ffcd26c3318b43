// gleam-cli devices: the numbered devices for CD audio in both directions, with the
// virtual device, a JACK server (the "jack" fixture), and nothing at all.
#include "support/CliRun.h"

#include <gtest/gtest.h>

#include <regex>
#include <unistd.h>

namespace {

using TestCli::CliRun;

CliRun devices(const QStringList& extra, const QStringList& args = {}) {
    return TestCli::cli(QStringList{"devices"} + args, extra);
}

const QStringList kNoVirtual = {"GLEAM_AUDIO", QString()};

TEST(DevicesCommandTest, TheVirtualDeviceIsNumberZeroBothWays) {
    const CliRun run = devices({"GLEAM_AUDIO", "virtual"});
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, "Playback devices (44.1 kHz, 16-bit, stereo):\n"
                       "  0  virtual (virtual)\n"
                       "Recording devices (44.1 kHz, 16-bit, stereo):\n"
                       "  0  virtual (virtual)\n");
}

// The server among the devices of each direction (a machine with a card of its own has
// more), and --all shows what each device takes.
TEST(DevicesCommandTest, TheJackServerIsListedBothWaysWithWhatItTakes) {
    const CliRun run = devices(kNoVirtual, {"--all"});
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.err, "");
    for (const char* direction : {"Playback", "Recording"}) {
        const std::regex listed(std::string(direction) +
                                " devices \\(44\\.1 kHz, 16-bit, stereo\\):\n(  \\d+  .*\n)*"
                                "  \\d+  system \\(JACK Audio Connection Kit\\)\n");
        EXPECT_TRUE(std::regex_search(run.out, listed)) << direction << " in:\n" << run.out;
    }
    EXPECT_NE(run.out.find("All devices:\n  system (JACK Audio Connection Kit): 2 in, 2 out, "
                           "44.1 kHz 16-bit stereo: play yes, record yes\n"),
              std::string::npos)
        << run.out;
    EXPECT_EQ(devices(kNoVirtual, {"--frob"}).code, 2);
}

TEST(DevicesCommandTest, WithoutAnyDeviceItSaysSoInOneLineAndFails) {
    const CliRun run = devices(
        kNoVirtual + QStringList{"JACK_DEFAULT_SERVER", QString("gleam-absent-%1").arg(getpid())},
        {"--all"});
    if (run.out.find("All devices:\n  none\n") == std::string::npos) {
        GTEST_SKIP() << "this machine has a sound card";
    }
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(run.err, "gleam-cli: devices: no audio device plays or records 44.1 kHz 16-bit "
                       "stereo\n");
    EXPECT_EQ(run.out, "Playback devices (44.1 kHz, 16-bit, stereo):\n  none\n"
                       "Recording devices (44.1 kHz, 16-bit, stereo):\n  none\n"
                       "All devices:\n  none\n");
}

} // namespace
