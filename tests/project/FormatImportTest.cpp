// The import of FLAC, Ogg Vorbis, Opus, MP3 and WAVE files of other rates, sample formats
// and channel counts into a project (fixtures made by sox and ffmpeg, named by their
// parameters), and the FLAC export of a title.
#include "AEAddToProject.h"
#include "AEAudiofile.h"
#include "AEFileManager.h"
#include "AEFlacExport.h"
#include "AEFormatImport.h"
#include "AEImportList.h"
#include "AEProcessedFile.h"
#include "AEProject.h"
#include "AEWaveImport.h"
#include "AudioTestSupport.h"
#include "DirectorySettings.h"
#include "ProjectTestSupport.h"
#include "SoundFileReader.h"

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

class FormatImport : public ::testing::Test {
protected:
    FormatImport() {
        fs::create_directory(base());
        project.setBaseDirectory(base() + "/");
        files.setProject(&project);
    }
    std::string base() const { return dir.file("base"); }

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
        AEAudiofile file(files.getFileName(index));
        EXPECT_TRUE(file.openForRead());
        std::vector<int16_t> samples(static_cast<size_t>(file.getLength()) * 2);
        EXPECT_EQ(file.readStereo(samples.data(), file.getLength()), file.getLength());
        return samples;
    }

    ProjectTest::RecordingHost host;
    TestDir dir;
    AEProject project;
    AEFileManager files;
};

class FormatImportOf : public FormatImport, public ::testing::WithParamInterface<Source> {};

TEST_P(FormatImportOf, BecomesATitleOfTheRightLengthWithTheSineKept) {
    const Source& s = GetParam();
    const std::string path = make(s);
    std::vector<AEWaveImport::Refused> refused;
    const auto report = import({path}, &refused);
    ASSERT_TRUE(refused.empty()) << AEWaveImport::reason(refused[0].refusal);
    ASSERT_EQ(report.added, 1) << s.name;

    EXPECT_EQ(project.sourcePath(0), base() + "/" + s.name + ".stereo.wav");
    EXPECT_TRUE(fs::exists(base() + "/" + s.name + ".stereo.pk"));
    EXPECT_NEAR(project.length(0), kSeconds * 44100.0, kSeconds)
        << "within one frame per second of the source";
    AEAudiofile title(files.getFileName(0));
    ASSERT_TRUE(title.openForRead());
    EXPECT_EQ(title.audioFile().sampleRate(), 44100.0f);
    EXPECT_EQ(title.audioFile().bits(), 16);
    EXPECT_EQ(title.channels(), 2);

    const auto audio = titleAudio(0);
    for (int side = 0; side < 2; ++side) {
        const auto x = GeneratedAudio::channel(audio, 2, side);
        const GeneratedAudio::Spectrum spectrum(x, 44100, 131072, 44100.0);
        EXPECT_NEAR(spectrum.peakHz(), 1000.0, 0.5);
        EXPECT_NEAR(20.0 * std::log10(GeneratedAudio::sineAmplitude(x, 44100) / kAmplitude), 0.0,
                    s.levelTolerance);
        if (s.bits >= 16) {
            EXPECT_LT(spectrum.strongestAwayFrom(1000.0, 40.0), -90.0)
                << "alias or image components of " << s.name;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Files, FormatImportOf, ::testing::ValuesIn(GeneratedAudio::sineFiles()),
                         [](const auto& info) { return GeneratedAudio::testName(info.param); });

TEST_F(FormatImport, SixteenBitFlacAt44100HzImportsBitForBit) {
    const auto samples = AudioTest::noise16(2 * static_cast<int64_t>(kSevenSeconds), 5);
    const std::string wave = dir.file("source.wav");
    ASSERT_TRUE(AudioTest::writeSystemFile(wave, samples, 2));
    const std::string flac = dir.file("44100-2-16.flac");
    ASSERT_TRUE(GeneratedAudio::run("sox " + quoted(wave) + " " + quoted(flac)));
    ASSERT_EQ(import({flac}).added, 1);
    EXPECT_EQ(project.length(0), kSevenSeconds);
    EXPECT_EQ(titleAudio(0), samples);
}

TEST_F(FormatImport, TheSevenSecondRuleHoldsForEveryFormat) {
    const std::string shortFlac = make(Source{"48000-2-16-5s.flac", 48000, 2, 16, "", 0}, 5.0);
    const std::string shortMp3 =
        make(Source{"44100-2-mp3-5s.mp3", 44100, 2, 0, "libmp3lame", 0}, 5.0);
    std::vector<AEWaveImport::Refused> refused;
    const auto report = import({shortFlac, shortMp3}, &refused);
    EXPECT_EQ(report.added, 0);
    ASSERT_EQ(refused.size(), 2u);
    EXPECT_EQ(refused[0].refusal, AEWaveImport::kTooShort);
    EXPECT_EQ(refused[1].refusal, AEWaveImport::kTooShort);
    EXPECT_EQ(project.titleCount(), 0);
    EXPECT_TRUE(fs::is_empty(base()));
}

TEST_F(FormatImport, AnUnreadableFileIsRefusedByName) {
    const std::string good = make(Source{"48000-2-16.flac", 48000, 2, 16, "", 0});
    const std::string bad = dir.file("broken.flac");
    // The start of a real FLAC file, cut off in its header.
    auto image = AudioTest::readBytes(good);
    image.resize(20);
    AudioTest::writeBytes(bad, image);
    std::vector<AEWaveImport::Refused> refused;
    const auto report = import({bad, good}, &refused);
    EXPECT_EQ(report.added, 1);
    ASSERT_EQ(refused.size(), 1u);
    EXPECT_EQ(refused[0].path, bad);
    EXPECT_EQ(refused[0].refusal, AEWaveImport::kNotAudio);
    ASSERT_FALSE(host.messages.empty());
    EXPECT_EQ(host.messages[0].tag, 20);
    EXPECT_NE(host.messages[0].text.find("S3142"), std::string::npos);
    EXPECT_NE(host.messages[0].text.find("broken.flac"), std::string::npos)
        << "the refused file is named";
}

TEST_F(FormatImport, ACancelledConversionLeavesNoFileAndThePathAsItWas) {
    const std::string source = make(Source{"96000-2-24.wav", 96000, 2, 24, "", 0});
    std::string path = source;
    host.onAdvance = [&](int64_t done) { host.cancel = done >= 3; };
    EXPECT_FALSE(AEFormatImport::convertToTitleFormat(path, base()));
    EXPECT_EQ(path, source);
    EXPECT_TRUE(fs::is_empty(base()));
}

TEST_F(FormatImport, AFullDiskStopsTheConversionWithItsMessageAndNoFile) {
    std::string path = make(Source{"48000-2-24.wav", 48000, 2, 24, "", 0});
    {
        ProjectTest::FileSizeLimit limit(500000);
        EXPECT_FALSE(AEFormatImport::convertToTitleFormat(path, base()));
    }
    EXPECT_EQ(path, dir.file("48000-2-24.wav"));
    EXPECT_TRUE(fs::is_empty(base()));
    ASSERT_FALSE(host.messages.empty());
    EXPECT_EQ(host.messages.back().data, 3008);
}

TEST_F(FormatImport, OnlyTheProgramsOwnWaveFormatSkipsTheConversion) {
    const std::string own = dir.file("44100-2-16.wav");
    ProjectTest::writeWave(own, 1000);
    EXPECT_FALSE(AEFormatImport::needsConversion(own));
    EXPECT_TRUE(
        AEFormatImport::needsConversion(make(Source{"44100-2-24.wav", 44100, 2, 24, "", 0})));
    EXPECT_TRUE(
        AEFormatImport::needsConversion(make(Source{"44100-2-16.flac", 44100, 2, 16, "", 0})));
}

TEST(FormatImportDialog, TheFilterOffersEveryExtensionAndTheSettingsAreTheMp3Folders) {
    // Without an application: the English texts.
    const std::string filter = AEFormatImport::dialogFilter();
    for (const auto& extension : AEFormatImport::extensions()) {
        EXPECT_NE(filter.find("*." + extension), std::string::npos) << extension;
    }
    EXPECT_EQ(filter.substr(filter.size() - 3), "|||");
    EXPECT_EQ(AEFormatImport::dialogTitle(), "Import Audio Files");
    EXPECT_EQ(AEFlacExport::dialogFilter(), "FLAC Files|*.flac|||");
    EXPECT_STREQ(DirectorySettings::kNames[AEFormatImport::kDirectorySlot], "mp3ImportDir");
    EXPECT_STREQ(DirectorySettings::kNames[AEFlacExport::kDirectorySlot], "mp3ExportDir");
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
    EXPECT_EQ(ProjectTest::messageTags(host), (std::vector<int32_t>{24, 25}));
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

    auto reader = SoundFileReader::open(out);
    ASSERT_NE(reader, nullptr);
    EXPECT_EQ(reader->title(), "Moonlight Serenade");
    EXPECT_EQ(reader->artist(), "Orchestra Émile");
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

TEST_F(FlacExport, TheProcessedFileIsWhatLeavesOnceTheTitleIsProcessed) {
    // A different audio file behind the title: the export follows the title's current file.
    const std::string other = base() + "/other.wav";
    ProjectTest::writeWave(other, kSevenSeconds + 10);
    AEProcessedFile::replaceTitleAudio(project, 0, other);
    ASSERT_EQ(files.getFileName(0), other);
    const std::string out = dir.file("processed.flac");
    ASSERT_EQ(AEFlacExport::exportTitle(files, 0, out), AEFlacExport::kWritten);
    auto reader = SoundFileReader::open(out);
    ASSERT_NE(reader, nullptr);
    EXPECT_EQ(reader->info().frames, kSevenSeconds + 10);
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

TEST_F(FlacExport, RunsOnAThreadOfItsOwn) {
    auto job = AEFlacExport::exportTitleInBackground(files, 0, dir.file("bg.flac"));
    EXPECT_EQ(job->wait(), AEFlacExport::kWritten);
    EXPECT_TRUE(fs::exists(dir.file("bg.flac")));
}

} // namespace
