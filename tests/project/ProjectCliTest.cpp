// gleam-cli peaks and project: the files they write, the rows they print and the one line
// they print when they fail.
#include "ProjectTestSupport.h"
#include "support/CliRun.h"
#include "support/TestDirs.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using TestCli::cli;
using TestCli::CliRun;
using TestCli::q;

TEST(ProjectCli, PeaksWritesEachPeakFile) {
    TestDir dir;
    const std::string song = dir.file("song.take1.wav");
    ProjectTest::writeWave(song, 256 * 10 + 3);
    CliRun run = cli({"peaks", "--quiet", q(song)});
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out, dir.file("song.take1.pk") + ": 11 blocks\n");
    EXPECT_EQ(std::filesystem::file_size(dir.file("song.take1.pk")), 44u);

    CliRun missing = cli({"peaks", q(dir.file("none.wav"))});
    EXPECT_NE(missing.code, 0);
    EXPECT_EQ(std::count(missing.err.begin(), missing.err.end(), '\n'), 1) << missing.err;
    EXPECT_NE(cli({"peaks"}).code, 0);
}

TEST(ProjectCli, CreateThenListAnEmptyProject) {
    TestDir dir;
    const std::string path = dir.file("Sunday Records.dat");
    CliRun created = cli({"project", q(path), "create", "--base", q(dir.file("audio"))});
    ASSERT_EQ(created.code, 0) << created.err;
    CliRun listed = cli({"project", q(path), "list"});
    ASSERT_EQ(listed.code, 0) << listed.err;
    EXPECT_EQ(listed.out, "Sunday Records\nTotal time\t00:00\nRemaining\t80:00\n");

    CliRun again = cli({"project", q(path), "create", "--title", "Other"});
    EXPECT_NE(again.code, 0) << "an existing project is never overwritten";
    EXPECT_NE(again.err.find("already exists"), std::string::npos);
    CliRun titled = cli({"project", q(dir.file("b.dat")), "create", "--title", "Other"});
    ASSERT_EQ(titled.code, 0) << titled.err;
    EXPECT_EQ(cli({"project", q(dir.file("b.dat")), "list"}).out.substr(0, 6), "Other\n");
}

TEST(ProjectCli, ListNumbersTitlesAndMarksMissingOnes) {
    TestDir dir;
    const std::string base = dir.file("side a");
    ProjectTest::writeWave(base + ".wav", ProjectTest::kSevenSeconds);
    ProjectTest::RecordImage image;
    image.projectHeader(1000, 2).titleBlock(0, base, "3").titleBlock(1, dir.file("lost"));
    image.save(dir.file("p.dat"));
    CliRun run = cli({"project", q(dir.file("p.dat")), "list"});
    ASSERT_EQ(run.code, 0) << run.err;
    // Each title plays from frame 10 to 308 000: 6.98 s, shown as 00:06; with the pauses
    // of 3 and 2 s the total is 00:18. The lost title keeps its place and its time.
    EXPECT_EQ(run.out, "A CD\n01\tname 0\tartist 0\t3\t00:06\tnot processed\n"
                       "02\tname 1\tartist 1\t2\t00:06\tnot processed\tmissing\n"
                       "Total time\t00:18\nRemaining\t79:41\n");
    EXPECT_NE(run.err.find(dir.file("lost.wav")), std::string::npos) << run.err;
    // A command that saves keeps the missing title as it was.
    const std::string before = ProjectTest::readFile(dir.file("p.dat"));
    ASSERT_EQ(cli({"project", q(dir.file("p.dat")), "set", "1", "--name", "A"}).code, 0);
    CliRun after = cli({"project", q(dir.file("p.dat")), "list"});
    EXPECT_NE(after.out.find("02\tname 1\tartist 1\t2\t00:06\tnot processed\tmissing"),
              std::string::npos)
        << after.out;
    EXPECT_NE(before, ProjectTest::readFile(dir.file("p.dat")));
}

TEST(ProjectCli, ADamagedProjectFailsWithOneLine) {
    TestDir dir;
    ProjectTest::RecordImage image;
    image.projectHeader(1000, 100);
    image.save(dir.file("bad.dat"));
    CliRun run = cli({"project", q(dir.file("bad.dat")), "list"});
    EXPECT_NE(run.code, 0);
    EXPECT_TRUE(run.out.empty());
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_NE(run.err.find("100 titles"), std::string::npos) << run.err;
    EXPECT_NE(cli({"project", q(dir.file("bad.dat")), "frob"}).code, 0);
    EXPECT_NE(cli({"project", q(dir.file("x.dat"))}).code, 0);
}

} // namespace
