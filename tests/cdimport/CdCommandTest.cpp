// gleam-cli cd list and cd copy against a CD image named in GLEAM_CD_IMAGES.
#include "AudioTestSupport.h"
#include "CddaDriveList.h"
#include "support/CliRun.h"

#include "support/CdImage.h"
#include "support/TestDirs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace {

using TestCli::cli;
using TestCli::CliRun;
using TestCli::q;
namespace fs = std::filesystem;

class CdCommandTest : public ::testing::Test {
protected:
    CdCommandTest() { setenv("GLEAM_CD_IMAGES", disc.cuePath().c_str(), 1); }
    ~CdCommandTest() override { unsetenv("GLEAM_CD_IMAGES"); }

    // Drive numbers count from 1; the image comes after the machine's own drives.
    std::string imageDrive() const { return std::to_string(CddaDriveList().count()); }

    TestDir dir;
    CdTest::CdImage disc{dir.path(), "cli-600-150-d100", {{600}, {150}, {100, true}}};
};

TEST_F(CdCommandTest, ListShowsTheDrivesThenTheirTracksWithLengths) {
    const std::string drive = imageDrive();
    CliRun run = cli({"cd", "list", "--drive", q(drive)});
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out, "drive " + drive + ": Image cli-600-150-d100.cue (" + disc.cuePath() +
                           ")\n  01  Title 1  00:00:08\n  02  Title 2  00:00:02\n"
                           "  03  Title 3  00:00:01  data\n");
    CliRun all = cli({"cd", "list"});
    ASSERT_EQ(all.code, 0) << all.err;
    EXPECT_NE(all.out.find(run.out), std::string::npos);

    CliRun none = cli({"cd", "list", "--drive", "99"});
    EXPECT_NE(none.code, 0);
    EXPECT_NE(none.err.find("no drive 99"), std::string::npos) << none.err;
}

// The tracks become WAVE files named after the pattern, sample for sample the disc's; with
// --project they become titles too.
TEST_F(CdCommandTest, CopyWritesTheTracksAndAddsThemToAProject) {
    const std::string drive = imageDrive();
    CliRun run = cli(
        {"cd", "copy", "--drive", q(drive), "--tracks", "2,1-3", "--to", q(dir.file("song.WAV"))});
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out, dir.file("song_1.wav") + "\n" + dir.file("song_2.wav") + "\n");
    EXPECT_NE(run.err.find("track 3 is a data track"), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(dir.file("song_3.wav")));
    EXPECT_EQ(AudioTest::readStereo16(dir.file("song_2.wav")), disc.trackSamples(2));

    const std::string project = dir.file("rescue.dat");
    ASSERT_EQ(cli({"project", q(project), "create"}).code, 0);
    run = cli({"cd", "copy", "--quiet", "--drive", q(drive), "--tracks", "1", "--to",
               q(dir.file("side.wav")), "--project", q(project)});
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_NE(run.out.find(project + ": 1 titles added, 1 in the project"), std::string::npos)
        << run.out;
    CliRun listed = cli({"project", q(project), "list"});
    EXPECT_NE(listed.out.find("01\tside_1"), std::string::npos) << listed.out;
}

TEST_F(CdCommandTest, BadRequestsFailWithOneLine) {
    const std::string drive = imageDrive();
    for (const QStringList& args :
         {QStringList{"cd"}, QStringList{"cd", "burn"}, QStringList{"cd", "copy", "--to", "x.wav"},
          QStringList{"cd", "copy", "--tracks", "3-1", "--to", "x.wav"},
          QStringList{"cd", "copy", "--drive", "1.5", "--tracks", "1", "--to", "x.wav"},
          QStringList{"cd", "copy", "--drive", q(drive), "--tracks", "7", "--to", "x.wav"},
          QStringList{"cd", "list", "--frob", "1"},
          // The copy fails: the tracks are named in the one line.
          QStringList{"cd", "copy", "--drive", q(drive), "--tracks", "1-2", "--to",
                      q(dir.file("missing/song.wav"))}}) {
        CliRun run = cli(args);
        EXPECT_NE(run.code, 0) << args.join(' ').toStdString();
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1)
            << args.join(' ').toStdString() << ": " << run.err;
    }
}

TEST_F(CdCommandTest, NoDriveAndNoImageIsOneClearLine) {
    unsetenv("GLEAM_CD_IMAGES");
    CliRun run = cli({"cd", "list"});
    if (run.code == 0) {
        GTEST_SKIP() << "this machine has a CD drive";
    }
    EXPECT_NE(run.err.find("no CD drive found"), std::string::npos) << run.err;
    EXPECT_NE(cli({"cd", "copy", "--tracks", "1", "--to", q(dir.file("a.wav"))}).code, 0);
}

} // namespace
