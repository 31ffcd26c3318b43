// gleam-cli with files in other formats: restore converts them on the way in, `project …
// import` takes them, `project … export N OUT.flac` writes FLAC.
#include "AEAudiofile.h"
#include "AudioTestSupport.h"
#include "ProjectTestSupport.h"
#include "SoundFileReader.h"
#include "support/CliRun.h"

#include "support/GeneratedAudio.h"
#include "support/TestDirs.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace {

namespace fs = std::filesystem;
using GeneratedAudio::quoted;
using TestCli::cli;
using TestCli::CliRun;
using TestCli::q;

std::vector<int16_t> stereoOf(const std::string& path) {
    AEAudiofile file(path);
    if (!file.openForRead()) {
        return {};
    }
    std::vector<int16_t> samples(static_cast<size_t>(file.getLength()) * 2);
    file.readStereo(samples.data(), file.getLength());
    return samples;
}

TEST(FormatCli, RestoreTakesA48kHzFlacAndWrites44100Hz) {
    TestDir dir;
    const std::string in = dir.file("48000-2-16.flac");
    ASSERT_TRUE(GeneratedAudio::soxSine(in, 48000, 2, 16, 8.0, 1000.0, 0.5));
    const std::string out = dir.file("restored.wav");
    // The converted input goes to the temporary folder, and is gone again afterwards.
    const std::string temporary = dir.file("tmp");
    fs::create_directory(temporary);
    const char* previous = std::getenv("TMPDIR");
    const std::string saved = previous ? previous : "";
    setenv("TMPDIR", temporary.c_str(), 1);
    const CliRun run = cli({"restore", "--quiet", q(in), q(out), "--bass", "0.3"});
    previous ? setenv("TMPDIR", saved.c_str(), 1) : unsetenv("TMPDIR");
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_NE(run.out.find("00:08 restored"), std::string::npos) << run.out;
    const auto samples = stereoOf(out);
    ASSERT_EQ(samples.size(), 2u * 352800u);
    const auto left = GeneratedAudio::channel(samples, 2, 0);
    EXPECT_NEAR(GeneratedAudio::Spectrum(left, 44100, 131072, 44100.0).peakHz(), 1000.0, 0.5);
    EXPECT_TRUE(fs::is_empty(temporary));
}

TEST(FormatCli, ProjectImportsOtherFormatsAndExportsFlac) {
    TestDir dir;
    const std::string projectPath = dir.file("p.dat");
    fs::create_directory(dir.file("base"));
    ASSERT_EQ(cli({"project", q(projectPath), "create", "--base", q(dir.file("base"))}).code, 0);
    const std::string flac = dir.file("96000-2-24.flac");
    const std::string ogg = dir.file("44100-2-vorbis.ogg");
    ASSERT_TRUE(GeneratedAudio::soxSine(flac, 96000, 2, 24, 8.0, 1000.0, 0.5));
    ASSERT_TRUE(GeneratedAudio::ffmpegSine(ogg, "libvorbis", 44100, 9.0, 440.0, 0.5));
    const CliRun imported = cli({"project", q(projectPath), "import", "--quiet", q(flac), q(ogg)});
    ASSERT_EQ(imported.code, 0) << imported.err;
    EXPECT_EQ(imported.out, projectPath + ": 2 titles added, 2 in the project\n");
    const CliRun listed = cli({"project", q(projectPath), "list"});
    EXPECT_NE(listed.out.find("01\t96000-2-24.flac.stereo\timported\t2\t00:08"), std::string::npos)
        << listed.out;
    EXPECT_NE(listed.out.find("02\t44100-2-vorbis.ogg.stereo\timported\t2\t00:09"),
              std::string::npos)
        << listed.out;

    ASSERT_EQ(
        cli({"project", q(projectPath), "set", "1", "--name", "Side A", "--artist", "Trio"}).code,
        0);
    const std::string out = dir.file("side a.flac");
    const CliRun exported = cli({"project", q(projectPath), "export", "--quiet", "1", q(out)});
    ASSERT_EQ(exported.code, 0) << exported.err;
    const std::string decoded = dir.file("decoded.wav");
    ASSERT_TRUE(GeneratedAudio::run("flac -d -s -f -o " + quoted(decoded) + " " + quoted(out)));
    const auto title = stereoOf(dir.file("base/96000-2-24.flac.stereo.wav"));
    ASSERT_EQ(title.size(), 2u * 352800u);
    EXPECT_EQ(stereoOf(decoded), title);
    auto reader = SoundFileReader::open(out);
    ASSERT_NE(reader, nullptr);
    EXPECT_EQ(reader->title(), "Side A");
    EXPECT_EQ(reader->artist(), "Trio");

    // Any other extension still gets the WAVE copy.
    const std::string wave = dir.file("side b.wav");
    ASSERT_EQ(cli({"project", q(projectPath), "export", "--quiet", "2", q(wave)}).code, 0);
    EXPECT_EQ(ProjectTest::readFile(wave),
              ProjectTest::readFile(dir.file("base/44100-2-vorbis.ogg.stereo.wav")));
}

} // namespace
