// gleam-cli devices: the numbered devices for CD audio in both directions, with the
// virtual device, a JACK server (the "jack" fixture), and nothing at all.
#include <QProcess>

#include <gtest/gtest.h>

#include <regex>
#include <unistd.h>

namespace {

struct CliRun {
    int code;
    std::string out;
    std::string err;
};

CliRun devices(const QProcessEnvironment& environment, const QStringList& args = {}) {
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(GLEAM_CLI, QStringList{"devices"} + args);
    process.waitForFinished(60000);
    return {process.exitCode(), process.readAllStandardOutput().toStdString(),
            process.readAllStandardError().toStdString()};
}

QProcessEnvironment environmentWithout(const QString& name) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(name);
    return environment;
}

TEST(DevicesCommandTest, TheVirtualDeviceIsNumberZeroBothWays) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("GLEAM_AUDIO", "virtual");
    const CliRun run = devices(environment);
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, "Playback devices (44.1 kHz, 16-bit, stereo):\n"
                       "  0  virtual (virtual)\n"
                       "Recording devices (44.1 kHz, 16-bit, stereo):\n"
                       "  0  virtual (virtual)\n");
}

TEST(DevicesCommandTest, TheJackServerIsListedBothWays) {
    const CliRun run = devices(environmentWithout("GLEAM_AUDIO"));
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.err, "");
    // Among the devices of each direction (a machine with a card of its own has more).
    for (const char* direction : {"Playback", "Recording"}) {
        const std::regex listed(std::string(direction) +
                                " devices \\(44\\.1 kHz, 16-bit, stereo\\):\n(  \\d+  .*\n)*"
                                "  \\d+  system \\(JACK Audio Connection Kit\\)\n");
        EXPECT_TRUE(std::regex_search(run.out, listed)) << direction << " in:\n" << run.out;
    }
}

TEST(DevicesCommandTest, AllShowsWhatEachDeviceTakes) {
    const CliRun run = devices(environmentWithout("GLEAM_AUDIO"), {"--all"});
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_NE(run.out.find("All devices:\n  system (JACK Audio Connection Kit): 2 in, 2 out, "
                           "44.1 kHz 16-bit stereo: play yes, record yes\n"),
              std::string::npos)
        << run.out;
    EXPECT_EQ(devices(environmentWithout("GLEAM_AUDIO"), {"--frob"}).code, 2);
}

TEST(DevicesCommandTest, WithoutAnyDeviceItSaysSoInOneLineAndFails) {
    QProcessEnvironment environment = environmentWithout("GLEAM_AUDIO");
    environment.insert("JACK_DEFAULT_SERVER", QString("gleam-absent-%1").arg(getpid()));
    const CliRun run = devices(environment, {"--all"});
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
