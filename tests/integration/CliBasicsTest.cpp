// gleam-cli answers --help and --version, and fails clearly on what it does not know.
#include "support/CliRun.h"

#include <QFile>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using namespace TestCli;

TEST(CliBasics, HelpVersionAndUnknownCommand) {
    CliRun help = cli({"--help"});
    EXPECT_EQ(help.code, 0);
    EXPECT_EQ(help.out.rfind("Usage: gleam-cli", 0), 0u) << help.out;
    EXPECT_TRUE(contains(help.out, "--version"));

    CliRun version = cli({"--version"});
    EXPECT_EQ(version.code, 0);
    EXPECT_EQ(version.out.rfind("gleam-cli 1.", 0), 0u) << version.out;

    CliRun unknown = cli({"frobnicate"});
    EXPECT_NE(unknown.code, 0);
    EXPECT_TRUE(unknown.out.empty());
    EXPECT_EQ(std::count(unknown.err.begin(), unknown.err.end(), '\n'), 1) << "one clear line";
    EXPECT_TRUE(contains(unknown.err, "frobnicate"));

    CliRun nothing = cli({});
    EXPECT_NE(nothing.code, 0);
}

TEST(CliBasics, BatchWorkLeavesTheStoredSettingsAlone) {
    const QString settings = qEnvironmentVariable("XDG_CONFIG_HOME") + "/Vortanix/Gleam.conf";
    ASSERT_FALSE(QFile::exists(settings));
    CliRun peaks = cli({"peaks", "--quiet", "/nonexistent/take.wav"});
    EXPECT_EQ(peaks.code, 1);
    EXPECT_TRUE(contains(peaks.err, "take.wav"));
    EXPECT_FALSE(QFile::exists(settings)) << "a batch command must not write the settings";
}

} // namespace
