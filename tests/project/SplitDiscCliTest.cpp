// gleam-cli project FILE.dat split N and export-disc OUT.cue, and their refusals.
#include "ProjectTestSupport.h"
#include "SplitTestSides.h"
#include "support/CliRun.h"

#include "support/TestDirs.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;
using namespace ProjectTest;
using namespace TestCli;

TEST(SplitDiscCli, SplitsASideThenExportsTheDiscImage) {
    TestDir dir;
    const std::string project = dir.file("side.dat");
    const std::string side = dir.file("side-44100-2-16.wav");
    writeWaveSamples(
        side, SplitTest::SideBuilder(21).song(8).gap(2).song(9).gap(2).song(8).build().samples);
    ASSERT_EQ(cli({"project", q(project), "create", "--base", q(dir.path())}).code, 0);
    CliRun run = cli({"project", "--quiet", q(project), "import", q(side)});
    ASSERT_EQ(run.code, 0) << run.err;

    run = cli({"project", "--quiet", q(project), "split", "1", "--min-silence", "1.2",
               "--threshold", "-40"});
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_NE(run.out.find("01\tTitle 1\t"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("03\tTitle 3\t"), std::string::npos) << run.out;
    run = cli({"project", q(project), "list"});
    EXPECT_NE(run.out.find("03\tTitle 3"), std::string::npos) << run.out;

    const std::string cue = dir.file("disc.cue");
    run = cli({"project", "--quiet", q(project), "export-disc", q(cue)});
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_TRUE(fs::exists(cue));
    ASSERT_TRUE(fs::exists(dir.file("disc.bin")));
    EXPECT_EQ(fs::file_size(dir.file("disc.bin")) % 2352, 0u);
    const std::string sheet = readFile(cue);
    EXPECT_NE(sheet.find("TRACK 03 AUDIO"), std::string::npos) << sheet;
}

TEST(SplitDiscCli, RefusalsAreClear) {
    TestDir dir;
    const std::string project = dir.file("empty.dat");
    ASSERT_EQ(cli({"project", q(project), "create"}).code, 0);
    CliRun run = cli({"project", "--quiet", q(project), "export-disc", q(dir.file("x.cue"))});
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.err.find("no titles"), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(dir.file("x.bin")));
    run = cli({"project", q(project), "export-disc", q(dir.file("x.wav"))});
    EXPECT_EQ(run.code, 2);
    run = cli({"project", q(project), "split", "1", "--threshold", "loud"});
    EXPECT_EQ(run.code, 2);
    run = cli({"project", q(project), "split", "1", "--min-title", "3"});
    EXPECT_EQ(run.code, 2) << "titles are never shorter than 7 s";
    run = cli({"project", q(project), "split", "1"});
    EXPECT_EQ(run.code, 1) << "no title 1";
}

} // namespace
