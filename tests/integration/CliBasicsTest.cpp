// gleam-cli answers --help and --version, and fails clearly on what it does not know.
#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

namespace {

struct CliRun {
    int code;
    QString out;
    QString err;
};

CliRun cli(const QStringList& args) {
    QProcess process;
    process.start(GLEAM_CLI, args);
    process.waitForFinished(30000);
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

TEST(CliBasics, HelpVersionAndUnknownCommand) {
    CliRun help = cli({"--help"});
    EXPECT_EQ(help.code, 0);
    EXPECT_TRUE(help.out.startsWith("Usage: gleam-cli")) << help.out.toStdString();
    EXPECT_TRUE(help.out.contains("--version"));

    CliRun version = cli({"--version"});
    EXPECT_EQ(version.code, 0);
    EXPECT_TRUE(version.out.startsWith("gleam-cli 1.")) << version.out.toStdString();

    CliRun unknown = cli({"frobnicate"});
    EXPECT_NE(unknown.code, 0);
    EXPECT_TRUE(unknown.out.isEmpty());
    EXPECT_EQ(unknown.err.count('\n'), 1) << "one clear line";
    EXPECT_TRUE(unknown.err.contains("frobnicate"));

    CliRun nothing = cli({});
    EXPECT_NE(nothing.code, 0);
}

TEST(CliBasics, BatchWorkLeavesTheStoredSettingsAlone) {
    const QString settings = qEnvironmentVariable("XDG_CONFIG_HOME") + "/Vortanix/Gleam.conf";
    ASSERT_FALSE(QFile::exists(settings));
    CliRun peaks = cli({"peaks", "--quiet", "/nonexistent/take.wav"});
    EXPECT_EQ(peaks.code, 1);
    EXPECT_TRUE(peaks.err.contains("take.wav"));
    EXPECT_FALSE(QFile::exists(settings)) << "a batch command must not write the settings";
}

} // namespace
