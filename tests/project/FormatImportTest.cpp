// The import of FLAC, Ogg Vorbis, Opus, MP3 and WAVE files of other rates, sample formats
// and channel counts into a project (fixtures made by sox and ffmpeg, named by their
// parameters), and the FLAC export of a title.
#include "AEAddToProject.h"
#include "AEAudiofile.h"
#include "AEFileManager.h"
#include "AEFlacExport.h"
#include "AEFormatImport.h"
#include "AEImportList.h"
#include "AEProject.h"
#include "AEWaveImport.h"
#include "AudioTestSupport.h"
#include "ImportTestSupport.h"

#include "support/GeneratedAudio.h"
#include "support/TestDirs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <sstream>

namespace {

namespace fs = std::filesystem;
using GeneratedAudio::quoted;
using ProjectTest::kSevenSeconds;

constexpr double kSeconds = 8.0;
constexpr double kAmplitude = 0.5;

using Source = GeneratedAudio::SineFile;

class FormatImport : public ProjectTest::ImportTest {
protected:
    std::string make(const Source& s, double seconds = kSeconds) {
        const std::string path = dir.file(s.name);
        EXPECT_TRUE(GeneratedAudio::makeSine(path, s, seconds, 1000.0, kAmplitude)) << path;
        return path;
    }
    // Checks and adds `paths` as the import command and the add-to-project routine do.
    AEAddToProject::Report import(const std::vector<std::string>& paths,
                                  std::vector<AEWaveImport::Refused>* refused = nullptr) {
        AEImportList list;
        auto out = AEWaveImport::fillImportList(paths, list);
        if (refused) {
            *refused = out;
        }
        return AEAddToProject::run(project, files, list);
    }
    std::vector<int16_t> titleAudio(int32_t index) {
        return RunTest::readStereo(files.getFileName(index));
    }
};

// What an import adds is the title-format reader's output (whose fidelity to every source
// format the reader's own tests measure) as a 44.1 kHz 16-bit stereo file in the project's
// folder, with its peaks.
TEST_F(FormatImport, AnotherFormatBecomesTheReadersAudioInTheProjectsFolder) {
    for (const Source& s : {Source{"48000-2-16.flac", 48000, 2, 16, "", 0},
                            Source{"44100-2-mp3.mp3", 44100, 2, 0, "libmp3lame", 0}}) {
        const std::string path = make(s);
        ASSERT_EQ(import({path}).added, 1) << s.name;
        const int32_t index = project.titleCount() - 1;
        EXPECT_EQ(project.sourcePath(index), base() + "/" + s.name + ".stereo.wav");
        EXPECT_TRUE(fs::exists(base() + "/" + s.name + ".stereo.pk")) << s.name;
        const std::vector<int16_t> expected = RunTest::decoded(path);
        ASSERT_FALSE(expected.empty()) << s.name;
        EXPECT_EQ(project.length(index), static_cast<int32_t>(expected.size() / 2)) << s.name;
        EXPECT_EQ(titleAudio(index), expected) << s.name;
    }
}

// Files too short or unreadable (the start of a real FLAC file, cut off in its header) are
// refused by name in one message; the others are imported. (A conversion that fails
// midway: the stereo copy's test in AEWaveImportTest, the same writer.)
TEST_F(FormatImport, ShortAndUnreadableFilesAreRefusedByName) {
    const std::string good = make(Source{"48000-2-16.flac", 48000, 2, 16, "", 0});
    const std::string shortFlac = make(Source{"48000-2-16-5s.flac", 48000, 2, 16, "", 0}, 5.0);
    const std::string bad = dir.file("broken.flac");
    auto image = AudioTest::readBytes(good);
    image.resize(20);
    AudioTest::writeBytes(bad, image);
    std::vector<AEWaveImport::Refused> refused;
    const auto report = import({shortFlac, bad, good}, &refused);
    EXPECT_EQ(report.added, 1);
    EXPECT_EQ(project.titleCount(), 1);
    ASSERT_EQ(refused.size(), 2u);
    EXPECT_EQ(refused[0].refusal, AEWaveImport::kTooShort);
    EXPECT_EQ(refused[1].path, bad);
    EXPECT_EQ(refused[1].refusal, AEWaveImport::kNotAudio);
    ASSERT_FALSE(host.messages.empty());
    EXPECT_EQ(host.messages[0].tag, 20);
    EXPECT_NE(host.messages[0].text.find("S3142"), std::string::npos);
    EXPECT_NE(host.messages[0].text.find("broken.flac"), std::string::npos)
        << "the refused file is named";
}

TEST(FormatImportDialog, TheFilterOffersEveryExtension) {
    const std::string filter = AEFormatImport::dialogFilter();
    for (const auto& extension : AEFormatImport::extensions()) {
        EXPECT_NE(filter.find("*." + extension), std::string::npos) << extension;
    }
}

class FlacExport : public FormatImport {
protected:
    void SetUp() override {
        ProjectTest::writeWave(dir.file("side a.wav"), kSevenSeconds + 1234);
        ASSERT_EQ(import({dir.file("side a.wav")}).added, 1);
        project.title(0)->setDisplayName("Moonlight Serenade");
        project.title(0)->setArtist("Orchestra Émile");
        host.messages.clear();
    }
};

TEST_F(FlacExport, DecodesToExactlyTheTitlesAudioWithItsTags) {
    const std::string out = dir.file("title 1.flac");
    ASSERT_EQ(AEFlacExport::exportTitle(files, 0, out), AEFlacExport::kWritten);
    EXPECT_EQ(host.tags(), (std::vector<int32_t>{24, 25}));
    EXPECT_FALSE(host.busy);

    // Decoded by the reference decoder, not by the library that wrote it.
    const std::string decoded = dir.file("decoded.wav");
    ASSERT_TRUE(GeneratedAudio::run("flac -d -s -f -o " + quoted(decoded) + " " + quoted(out)));
    AEAudiofile back(decoded);
    ASSERT_TRUE(back.openForRead());
    ASSERT_EQ(back.getLength(), kSevenSeconds + 1234);
    std::vector<int16_t> samples(static_cast<size_t>(back.getLength()) * 2);
    ASSERT_EQ(back.readStereo(samples.data(), back.getLength()), back.getLength());
    EXPECT_EQ(samples, titleAudio(0));

    const std::string tags = dir.file("tags.txt");
    ASSERT_TRUE(
        GeneratedAudio::run("metaflac --export-tags-to=" + quoted(tags) + " " + quoted(out)));
    // Field names of Vorbis comments are compared without regard to case.
    std::map<std::string, std::string> fields;
    std::istringstream lines(ProjectTest::readFile(tags));
    for (std::string line; std::getline(lines, line);) {
        std::string name = line.substr(0, line.find('='));
        std::transform(name.begin(), name.end(), name.begin(), ::toupper);
        fields[name] = line.substr(line.find('=') + 1);
    }
    EXPECT_EQ(fields["TITLE"], "Moonlight Serenade");
    EXPECT_EQ(fields["ARTIST"], "Orchestra Émile");
}

TEST_F(FlacExport, FailuresLeaveNoFile) {
    EXPECT_EQ(AEFlacExport::exportTitle(files, 5, dir.file("none.flac")), AEFlacExport::kNoTitle);
    EXPECT_EQ(AEFlacExport::exportTitle(files, 0, dir.file("missing/x.flac")),
              AEFlacExport::kCannotWrite);
    ASSERT_FALSE(host.messages.empty());
    EXPECT_EQ(host.messages[host.messages.size() - 2].data, 3146);

    host.onAdvance = [&](int64_t done) { host.cancel = done >= 2; };
    EXPECT_EQ(AEFlacExport::exportTitle(files, 0, dir.file("cancelled.flac")),
              AEFlacExport::kCancelled);
    EXPECT_FALSE(fs::exists(dir.file("cancelled.flac")));
    EXPECT_FALSE(fs::exists(dir.file("cancelled.flac.saving")));

    host.cancel = false;
    host.onAdvance = nullptr;
    {
        ProjectTest::FileSizeLimit limit(100000);
        EXPECT_EQ(AEFlacExport::exportTitle(files, 0, dir.file("full.flac")),
                  AEFlacExport::kCannotWrite);
    }
    EXPECT_FALSE(fs::exists(dir.file("full.flac")));
    EXPECT_FALSE(fs::exists(dir.file("full.flac.saving")));
    EXPECT_FALSE(host.busy);
}

} // namespace
