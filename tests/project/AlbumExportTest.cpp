// The album export and loudness normalizing, through gleam-cli and below it: files in every
// format read back (FLAC and WAVE exact to the sample by the program's reader, Opus and MP3
// decoded by ffmpeg), tags and picture read back by ffprobe, safe names, the
// playlist and cue sheet in order, loudness as ffmpeg measures it, no file replaced unasked
// and none left by a cancelled export.
#include "AEAlbumExport.h"
#include "AEAlbumFiles.h"
#include "AlbumTestSupport.h"
#include "support/CliRun.h"

#include "support/FfmpegLoudness.h"
#include "support/TestDirs.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>

namespace {

namespace fs = std::filesystem;
using GeneratedAudio::quoted;
using TestCli::cli;
using TestCli::CliRun;
using TestCli::q;

const char* const kNames[] = {"01 - Side A_ Intro", "02 - AC_DC_ _Live__", "03 - Ünterwegs"};
const char* const kTitles[] = {"Side A: Intro", "AC/DC: \"Live?\"", "Ünterwegs"};

// Frames ffmpeg decodes from `path` (at the file's own rate).
int64_t ffmpegFrames(const std::string& path) {
    const QStringList args = {"-nostdin", "-v",    "error", "-i", q(path),
                              "-f",       "s16le", "-ac",   "2",  "-"};
    return static_cast<int64_t>(TestCli::run("ffmpeg", args).out.size()) / 4;
}

// ffprobe's view: "tag:NAME" for each tag of the file or a stream (Ogg keeps them with
// the stream; lower case), "pictures" for attached pictures.
std::map<std::string, std::string> probe(const std::string& path) {
    std::map<std::string, std::string> found;
    std::istringstream lines(
        TestCli::run("ffprobe", {"-v", "error", "-show_entries",
                                 "format_tags:stream_tags:stream_disposition=attached_pic", "-of",
                                 "default=nw=1", q(path)})
            .out);
    size_t pictures = 0;
    for (std::string line; std::getline(lines, line);) {
        const size_t equals = line.find('=');
        std::string key = line.substr(0, equals);
        for (char& c : key) {
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        if (key == "disposition:attached_pic") {
            pictures += line.substr(equals + 1) == "1";
        } else if (equals != std::string::npos) {
            found[key] = line.substr(equals + 1);
        }
    }
    found["pictures"] = std::to_string(pictures);
    return found;
}

std::string cover(const TestDir& dir) {
    const std::string path = dir.file("cover.png");
    EXPECT_TRUE(GeneratedAudio::run("convert -size 64x64 gradient:navy-gold " + quoted(path)));
    return path;
}

class AlbumExport : public ::testing::Test {
protected:
    void SetUp() override { album_ = AlbumTest::makeAlbum(dir_.path()); }

    CliRun exportAlbum(const std::string& out, QStringList options) {
        QStringList args = {"project", q(album_.projectPath), "export-album", q(out), "--quiet"};
        args += options;
        return cli(args);
    }

    TestDir dir_;
    AlbumTest::Album album_;
};

TEST_F(AlbumExport, EveryFormatReadsBackTaggedAndListedInOrder) {
    const std::string picture = cover(dir_);
    for (const std::string format : {"flac", "opus", "mp3", "wav"}) {
        SCOPED_TRACE(format);
        const std::string out = dir_.file("album-" + format);
        const CliRun run = exportAlbum(out, {"--format", q(format), "--cover", q(picture)});
        ASSERT_EQ(run.code, 0) << run.err;
        std::vector<std::string> expected = {"album.cue", "playlist.m3u8"};
        for (const char* name : kNames) {
            expected.push_back(std::string(name) + "." + format);
        }
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(RunTest::filesIn(out), expected);

        std::string playlist = ProjectTest::readFile(out + "/playlist.m3u8");
        std::string cue = ProjectTest::readFile(out + "/album.cue");
        size_t inPlaylist = 0;
        size_t inCue = 0;
        for (size_t i = 0; i < 3; ++i) {
            const std::string name = std::string(kNames[i]) + "." + format;
            const std::string path = out + "/" + name;
            const auto& played = album_.played[i];
            const auto frames = static_cast<int64_t>(played.size() / 2);
            if (format == "flac" || format == "wav") {
                EXPECT_EQ(RunTest::decoded(path), played) << name;
            } else if (format == "opus") {
                EXPECT_NEAR(ffmpegFrames(path), frames * 48000 / 44100, 960) << name;
            } else {
                EXPECT_NEAR(ffmpegFrames(path), frames, 1152) << name;
            }
            // In order, each after the one before.
            inPlaylist = playlist.find("\n" + name + "\n", inPlaylist);
            inCue = cue.find("FILE \"" + name + "\"", inCue);
            EXPECT_NE(inPlaylist, std::string::npos) << playlist;
            EXPECT_NE(inCue, std::string::npos) << cue;

            auto seen = probe(path);
            EXPECT_EQ(seen["tag:title"], kTitles[i]);
            EXPECT_EQ(seen["tag:artist"], "The Grange Band");
            EXPECT_EQ(seen["tag:album"], "Live at the Grange (1974)");
            EXPECT_EQ(seen["tag:track"].substr(0, 1), std::to_string(i + 1));
            // The gains as the file holds them (ffprobe shows no user text of a WAVE file).
            const std::string bytes = ProjectTest::readFile(path);
            for (const char* tag : {"REPLAYGAIN_TRACK_GAIN", "REPLAYGAIN_ALBUM_PEAK"}) {
                EXPECT_NE(bytes.find(tag), std::string::npos) << tag;
            }
            EXPECT_EQ(seen["pictures"], "1");
        }
    }
}

TEST_F(AlbumExport, NothingIsReplacedUnasked) {
    const std::string out = dir_.file("album");
    ASSERT_EQ(exportAlbum(out, {"--titles", "3,1"}).code, 0);
    const std::string first = out + "/01 - Ünterwegs.flac";
    const std::string before = ProjectTest::readFile(first);
    ASSERT_FALSE(before.empty());
    // The same titles, with a loudness: refused, the old files as they were.
    const CliRun again = exportAlbum(out, {"--titles", "3,1", "--loudness", "-14"});
    EXPECT_EQ(again.code, 1);
    EXPECT_NE(again.err.find("exists"), std::string::npos) << again.err;
    EXPECT_EQ(ProjectTest::readFile(first), before);
    const CliRun agreed = exportAlbum(out, {"--titles", "3,1", "--loudness", "-14", "--overwrite"});
    ASSERT_EQ(agreed.code, 0) << agreed.err;
    EXPECT_NE(ProjectTest::readFile(first), before);
    EXPECT_EQ(RunTest::filesIn(out).size(), 4u);
}

TEST_F(AlbumExport, WrongArgumentsAreRefused) {
    const QStringList rows[] = {{"--format", "ogg"}, {"--titles", "0"}, {"--titles", "2-1"},
                                {"--titles", "1,1"}, {"--titles", "4"}, {"--loudness", "-60"},
                                {"--album-gain"},    {"--cover"}};
    for (const QStringList& row : rows) {
        const CliRun run = exportAlbum(dir_.file("out"), row);
        EXPECT_EQ(run.code, 2) << row.join(' ').toStdString() << run.err;
    }
    EXPECT_FALSE(fs::exists(dir_.file("out")));
    // A cover that is no picture.
    ProjectTest::writeFile(dir_.file("cover.jpg"), "not a picture");
    EXPECT_EQ(exportAlbum(dir_.file("out"), {"--cover", q(dir_.file("cover.jpg"))}).code, 1);
}

TEST_F(AlbumExport, ACancelledExportLeavesNoFile) {
    ProjectTest::RecordingHost host;
    auto project = AEProject::load(album_.projectPath);
    ASSERT_NE(project, nullptr);
    AEAlbumExport::Options options;
    options.directory = dir_.file("album");
    options.format = EncodedFormat::kMp3;
    options.loudness = -16.0;
    AEAlbumExport::Plan plan;
    ASSERT_EQ(AEAlbumExport::plan(*project, options, plan), AEAlbumExport::kWritten);
    // Cancelled while the last title is written (69 steps measure, 69 write), then at once.
    for (const int64_t step : {int64_t{130}, int64_t{1}}) {
        host.onAdvance = [&host, step](int64_t done) { host.cancel = host.cancel || done >= step; };
        host.cancel = false;
        EXPECT_EQ(AEAlbumExport::run(plan), AEAlbumExport::kCancelled);
        EXPECT_TRUE(RunTest::filesIn(options.directory).empty());
    }
}

TEST(AlbumFiles, NamesAreSafeEverywhere) {
    const struct {
        const char* title;
        const char* name;
    } rows[] = {{"AC/DC: \"Live?\"", "07 - AC_DC_ _Live__.mp3"},
                {"..hidden. ", "07 - hidden.mp3"},
                {"a\\b|c<d>e*f\tg", "07 - a_b_c_d_e_f_g.mp3"},
                {"", "07 - Title.mp3"}};
    for (const auto& row : rows) {
        EXPECT_EQ(AEAlbumFiles::fileName(7, row.title, "mp3"), row.name);
    }
    // Long names stop short of 200 bytes, on a whole character.
    std::string longTitle;
    for (int i = 0; i < 150; ++i) {
        longTitle += "é";
    }
    const std::string name = AEAlbumFiles::fileName(1, longTitle, "flac");
    EXPECT_LE(name.size(), 200u);
    EXPECT_EQ(name.substr(name.size() - 7), "é.flac");
}

// Loudness as ffmpeg measures it: each title (or the album as a whole) within 0.2 LU of
// the target, and no true peak above -1 dBTP.
void expectLoudness(const std::vector<std::string>& files, double target, bool album) {
    for (const std::string& file : files) {
        const auto measured = FfmpegLoudness::measure({file});
        ASSERT_TRUE(measured) << file;
        if (!album) {
            EXPECT_NEAR(measured->integrated, target, 0.2) << file;
        }
        EXPECT_LE(measured->truePeakDb, -1.0) << file;
    }
    if (album) {
        const auto whole = FfmpegLoudness::measure(files);
        ASSERT_TRUE(whole);
        EXPECT_NEAR(whole->integrated, target, 0.2);
    }
}

TEST_F(AlbumExport, LoudnessReachesTheTargetUnderTheCeiling) {
    const struct {
        const char* format;
        double target;
        bool album;
    } rows[] = {
        {"mp3", -14.0, false}, {"opus", -16.0, false}, {"flac", -14.0, true}, {"wav", -9.0, true}};
    for (const auto& row : rows) {
        const std::string out = dir_.file(std::string("loud-") + row.format);
        QStringList options = {"--format", row.format, "--loudness", QString::number(row.target)};
        if (row.album) {
            options << "--album-gain";
        }
        const CliRun run = exportAlbum(out, options);
        ASSERT_EQ(run.code, 0) << run.err;
        std::vector<std::string> files;
        for (const char* name : kNames) {
            files.push_back(out + "/" + name + "." + row.format);
        }
        expectLoudness(files, row.target, row.album);
    }
}

TEST_F(AlbumExport, NormalizeLoudnessRewritesTheTitles) {
    for (const bool album : {false, true}) {
        const double target = album ? -23.0 : -16.0;
        QStringList args = {"project",
                            q(album_.projectPath),
                            "normalize-loudness",
                            "all",
                            "--target",
                            QString::number(target),
                            "--quiet"};
        if (album) {
            args << "--album";
        }
        const CliRun run = cli(args);
        ASSERT_EQ(run.code, 0) << run.err;
        auto project = AEProject::load(album_.projectPath);
        ASSERT_NE(project, nullptr);
        ASSERT_EQ(project->titleCount(), 3);
        std::vector<std::string> files;
        for (int32_t i = 0; i < 3; ++i) {
            const AETitle& title = *project->title(i);
            EXPECT_TRUE(title.processState().isProcessed());
            // The new file holds what the title played: its trim is in it.
            EXPECT_EQ(title.length(), static_cast<int32_t>(album_.played[i].size() / 2));
            files.push_back(title.processedPath());
            EXPECT_NE(run.out.find(title.processedPath() + "\t"), std::string::npos) << run.out;
        }
        EXPECT_NE(run.out.find(" LUFS\n"), std::string::npos) << run.out;
        expectLoudness(files, target, album);
    }
}

} // namespace
