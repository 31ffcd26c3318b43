// gleam-cli project FILE.dat split N, the export of the titles it makes, and export-disc
// OUT.cue.
#include "CliTestSupport.h"
#include "ProjectTestSupport.h"
#include "SplitTestSides.h"

#include "support/TestDirs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace {

namespace fs = std::filesystem;
using namespace ProjectTest;

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

// Where the samples of [start, end) of the side lie, untouched, in `exported`: their
// offset, or -1.
int64_t offsetOfSong(const std::vector<int16_t>& exported, const SplitTest::Side& side,
                     int32_t start, int32_t end) {
    const auto first = side.samples.begin() + 2 * static_cast<int64_t>(start);
    const auto last = side.samples.begin() + 2 * static_cast<int64_t>(end);
    const auto found = std::search(exported.begin(), exported.end(), first, last);
    return found == exported.end() ? -1 : (found - exported.begin()) / 2;
}

class SplitExportCli : public ::testing::TestWithParam<bool> {};

TEST_P(SplitExportCli, EveryTitleExportsItsSongWholeAndNoMore) {
    using SplitTest::SideBuilder;
    SplitTest::Side side;
    if (GetParam()) {
        side = SplitTest::recordedSide();
        if (side.samples.empty()) {
            GTEST_SKIP() << SplitTest::kNoRecordings;
        }
    } else {
        side = SideBuilder(22)
                   .silence(1.2)
                   .song(9, -20, {})
                   .silence(2.0031)
                   .song(11, -20, {.fadeOutSeconds = 4.0})
                   .silence(1.6017)
                   .song(8, -34, {})
                   .silence(2.5)
                   .song(10, -20, {.pauseAt = 3.0, .pauseSeconds = 1.0})
                   .silence(1.0)
                   .build();
        SplitTest::damage(side, SplitTest::hiss(-50, 2.0, 40.0, -42));
    }
    TestDir dir;
    const std::string project = dir.file("side.dat");
    const std::string wave = dir.file("side-44100-2-16.wav");
    writeWaveSamples(wave, side.samples);
    ASSERT_EQ(cli({"project", q(project), "create", "--base", q(dir.path())}).code, 0);
    ASSERT_EQ(cli({"project", "--quiet", q(project), "import", q(wave)}).code, 0);
    CliRun run = cli({"project", "--quiet", q(project), "split", "1"});
    ASSERT_EQ(run.code, 0) << run.err;
    const auto songs = static_cast<int32_t>(side.songStarts.size());
    ASSERT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), songs) << run.out;

    for (int32_t s = 0; s < songs; ++s) {
        const std::string out = dir.file("title " + std::to_string(s + 1) + ".wav");
        run = cli({"project", "--quiet", q(project), "export", QString::number(s + 1), q(out)});
        ASSERT_EQ(run.code, 0) << run.err;
        const std::vector<int16_t> exported = SplitTest::decoded(out);
        const int32_t start = side.songStarts[static_cast<size_t>(s)];
        const int32_t end = side.songEnds[static_cast<size_t>(s)];
        const int64_t offset = offsetOfSong(exported, side, start, end);
        ASSERT_GE(offset, 0) << "song " << s + 1 << " is not whole in its title";
        // The title begins and ends within the gaps around its song.
        const int64_t begins = start - offset;
        const int64_t ends = begins + static_cast<int64_t>(exported.size() / 2);
        EXPECT_GE(begins, s > 0 ? side.songEnds[static_cast<size_t>(s - 1)] : 0);
        EXPECT_LE(ends,
                  s + 1 < songs ? side.songStarts[static_cast<size_t>(s + 1)] : side.frames());
        EXPECT_EQ(exported.front(), 0) << "faded in from silence at the cut";
    }
    // The FLAC export writes the same song.
    const std::string flac = dir.file("title 2.flac");
    run = cli({"project", "--quiet", q(project), "export", "2", q(flac)});
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(SplitTest::decoded(flac), SplitTest::decoded(dir.file("title 2.wav")));
    for (const auto& entry : fs::directory_iterator(dir.path())) {
        EXPECT_EQ(entry.path().filename().string().find(".saving"), std::string::npos)
            << entry.path();
    }
}

INSTANTIATE_TEST_SUITE_P(Sides, SplitExportCli, ::testing::Values(false, true),
                         [](const auto& info) {
                             return std::string(info.param ? "RealRecordings" : "Synthetic");
                         });

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
