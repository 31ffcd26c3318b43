// The WAVE import: the checks that accept or refuse files, the stereo copy of a mono
// file, and the routine that turns waiting files into titles.
#include "AEWaveImport.h"

#include "AEAddToProject.h"
#include "AEImportList.h"
#include "AEMonoToStereo.h"
#include "AudioTestSupport.h"
#include "ImportTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using AEWaveImport::check;
using ProjectTest::kSevenSeconds;

namespace fs = std::filesystem;

class WaveImportTest : public ProjectTest::ImportTest {
protected:
    // A PCM WAVE file "<rate>-<channels>-<bits>-<frames>.wav" of a sine.
    std::string pcm(int channels, uint32_t rate, int bits, int32_t frames) {
        const std::string path =
            dir.file(std::to_string(rate) + "-" + std::to_string(channels) + "-" +
                     std::to_string(bits) + "-" + std::to_string(frames) + ".wav");
        AudioTest::Bytes samples(static_cast<size_t>(frames) * channels * (bits / 8), 0x11);
        AudioTest::writeBytes(path, AudioTest::pcmWave(static_cast<uint16_t>(channels), rate,
                                                       static_cast<uint16_t>(bits), samples));
        return path;
    }
    // A mono 44.1 kHz 16-bit file of a sine, and its samples.
    std::string mono(const std::string& name, int32_t frames) {
        monoSamples = AudioTest::sine16(frames, 1, 441.0, 44100.0, 15000.0);
        const std::string path = dir.file(name);
        EXPECT_TRUE(AudioTest::writeSystemFile(path, monoSamples, 1));
        return path;
    }
    std::string stereo(const std::string& name, int32_t frames) {
        const std::string path = dir.file(name);
        ProjectTest::writeWave(path, frames);
        return path;
    }
    std::vector<int16_t> monoSamples;
};

// Any WAVE format is accepted when it plays seven seconds at 44.1 kHz.
TEST_F(WaveImportTest, WaveFilesOfSevenSecondsAreAccepted) {
    EXPECT_EQ(check(pcm(1, 44100, 16, kSevenSeconds)), AEWaveImport::kAccepted);
    EXPECT_EQ(check(pcm(2, 44100, 16, kSevenSeconds - 1)), AEWaveImport::kTooShort);
    EXPECT_EQ(check(pcm(2, 22050, 16, kSevenSeconds)), AEWaveImport::kAccepted);
    // 308 700 frames at 48 kHz are 6.4 seconds.
    EXPECT_EQ(check(pcm(2, 48000, 16, kSevenSeconds)), AEWaveImport::kTooShort);
    EXPECT_EQ(check(pcm(2, 48000, 16, 336000)), AEWaveImport::kAccepted);
}

TEST_F(WaveImportTest, FilesThatAreNotAudioAreRefused) {
    ProjectTest::writeFile(dir.file("notes.wav"), "RIFF, but only in words");
    EXPECT_EQ(check(dir.file("notes.wav")), AEWaveImport::kNotAudio);
    ProjectTest::writeFile(dir.file("empty.wav"), "");
    EXPECT_EQ(check(dir.file("empty.wav")), AEWaveImport::kNotAudio);
    // A chunk between "WAVE" and "fmt ": not the program's own layout, so it is converted
    // (bit for bit) rather than taken as it is.
    AudioTest::Bytes samples(static_cast<size_t>(kSevenSeconds) * 4, 0);
    AudioTest::writeBytes(dir.file("list-first.wav"),
                          AudioTest::riffImage({{"LIST", AudioTest::Bytes(10, 'x')},
                                                {"fmt ", AudioTest::fmtBody(1, 2, 44100, 4, 16)},
                                                {"data", samples}}));
    EXPECT_EQ(check(dir.file("list-first.wav")), AEWaveImport::kAccepted);
    // A WAVE header of a coding nothing here decodes says so, rather than "not audio".
    AudioTest::writeBytes(
        dir.file("coded.wav"),
        AudioTest::riffImage(
            {{"fmt ", AudioTest::fmtBody(0x0161, 2, 44100, 4, 16)}, {"data", samples}}));
    EXPECT_EQ(check(dir.file("coded.wav")), AEWaveImport::kUnsupported);
}

TEST_F(WaveImportTest, TruncatedUnreadableAndMissingFilesAndFoldersAreRefused) {
    // A file cut short holds the frames it holds: half of seven seconds is too short.
    auto image = AudioTest::readBytes(pcm(2, 44100, 16, kSevenSeconds));
    image.resize(image.size() / 2);
    AudioTest::writeBytes(dir.file("truncated.wav"), image);
    EXPECT_EQ(check(dir.file("truncated.wav")), AEWaveImport::kTooShort);

    EXPECT_EQ(check(dir.file("missing.wav")), AEWaveImport::kMissing);
    fs::create_directory(dir.file("folder.wav"));
    EXPECT_EQ(check(dir.file("folder.wav")), AEWaveImport::kNotAFile);
    // A pipe would block a reader: it is never opened.
    ASSERT_EQ(mkfifo(dir.file("pipe.wav").c_str(), 0600), 0);
    EXPECT_EQ(check(dir.file("pipe.wav")), AEWaveImport::kNotAFile);
    if (geteuid() != 0) { // the super-user reads everything
        const std::string locked = stereo("locked.wav", kSevenSeconds);
        fs::permissions(locked, fs::perms::none);
        EXPECT_NE(check(locked), AEWaveImport::kAccepted);
    }
}

TEST_F(WaveImportTest, CopiesOfSameNamedFilesNeverReplaceOneAnother) {
    // Two different recordings named take.wav, from two folders, both copied.
    fs::create_directory(dir.file("a"));
    fs::create_directory(dir.file("b"));
    const std::string first = mono("a/take.wav", kSevenSeconds);
    const auto firstSamples = monoSamples;
    monoSamples.clear();
    const std::string second = dir.file("b/take.wav");
    const auto secondSamples = AudioTest::sine16(kSevenSeconds + 4410, 1, 97.0, 44100.0, 9000.0);
    ASSERT_TRUE(AudioTest::writeSystemFile(second, secondSamples, 1));
    for (const std::string& path : {first, second}) {
        AEImportList list;
        list.add(path);
        ASSERT_EQ(AEAddToProject::run(project, files, list).added, 1);
    }
    ASSERT_EQ(project.titleCount(), 2);
    EXPECT_EQ(project.currentAudioPath(0), base() + "/take.wav.stereo.wav");
    EXPECT_EQ(project.currentAudioPath(1), base() + "/take-2.wav.stereo.wav");
    // Each title plays its own recording.
    for (const auto& [index, samples] : {std::pair{0, firstSamples}, std::pair{1, secondSamples}}) {
        EXPECT_EQ(RunTest::readStereo(project.currentAudioPath(index)),
                  RunTest::bothChannels(samples))
            << index;
    }
    // A name a title refers to is taken even while its file is away.
    fs::remove(base() + "/take.wav.stereo.wav");
    fs::remove(base() + "/take.wav.stereo.pk");
    std::string third = mono("take.wav", kSevenSeconds);
    ASSERT_TRUE(convertMonoToStereo(third, base(), &project));
    EXPECT_EQ(third, base() + "/take-3.wav.stereo.wav");
}

TEST_F(WaveImportTest, TheImportListGetsTheAcceptedFilesAndOneMessageForTheRest) {
    const std::string good1 = stereo("one.wav", kSevenSeconds);
    const std::string bad1 = dir.file("notes.flac");
    ProjectTest::writeFile(bad1, "fLaC, but only in words");
    const std::string good2 = mono("two.wav", kSevenSeconds);
    const std::string bad2 = pcm(2, 44100, 16, kSevenSeconds - 1);
    AEImportList list;
    list.add("stale entry");
    const auto refused = AEWaveImport::fillImportList({good1, bad1, good2, bad2}, list);
    ASSERT_EQ(refused.size(), 2u);
    EXPECT_EQ(refused[0].path, bad1);
    EXPECT_EQ(refused[0].refusal, AEWaveImport::kNotAudio);
    EXPECT_EQ(refused[1].path, bad2);
    EXPECT_EQ(refused[1].refusal, AEWaveImport::kTooShort);
    EXPECT_EQ(list.pending(), 2);
    EXPECT_EQ(list.entry(0), good1);
    EXPECT_EQ(list.entry(1), good2);
    // One message: the text, then the refused files by name.
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].tag, 20);
    // Each refused file with the rule it failed.
    EXPECT_EQ(host.messages[0].text, "S3142\n\nnotes.flac: S3286\n44100-2-16-308699.wav: S3284");

    host.messages.clear();
    EXPECT_TRUE(AEWaveImport::fillImportList({good1}, list).empty());
    EXPECT_TRUE(host.messages.empty()) << "nothing refused, nothing said";
}

// A stereo copy that cannot be read, is cancelled or runs out of room leaves no file (an
// earlier copy of the same file as it was) and the path as it was; a full disk is told.
TEST_F(WaveImportTest, AFailedConversionLeavesNoFileAndThePathAsItWas) {
    std::string missing = dir.file("missing.wav");
    EXPECT_FALSE(convertMonoToStereo(missing, base()));
    EXPECT_EQ(missing, dir.file("missing.wav"));
    const std::string source = mono("song.wav", 2 * kSevenSeconds);
    for (const bool earlier : {false, true}) {
        for (const bool full : {false, true}) {
            std::string path = source;
            if (earlier) {
                ASSERT_TRUE(convertMonoToStereo(path, base()));
                path = source;
            }
            const std::vector<std::string> before = RunTest::filesIn(base());
            const auto copy = AudioTest::readBytes(base() + "/song.wav.stereo.wav");
            host.messages.clear();
            host.onAdvance = [&](int64_t done) { host.cancel = !full && done >= 5; };
            {
                std::optional<ProjectTest::FileSizeLimit> limit;
                if (full) {
                    limit.emplace(kSevenSeconds * 2);
                }
                EXPECT_FALSE(convertMonoToStereo(path, base())) << earlier << full;
            }
            EXPECT_EQ(path, source);
            EXPECT_EQ(RunTest::filesIn(base()), before);
            EXPECT_EQ(AudioTest::readBytes(base() + "/song.wav.stereo.wav"), copy);
            if (full) {
                ASSERT_FALSE(host.messages.empty());
                EXPECT_EQ(host.messages.back().tag, 20);
                EXPECT_EQ(host.messages.back().data, 3008);
            }
            host.cancel = false;
            host.onAdvance = nullptr;
        }
    }
}

// Files are taken by their content whatever their extension: a stereo file named *.wav
// in any letter case plays as it is, under its own name; one under another name, or mono,
// is copied to a ".wav" in the base directory.
TEST_F(WaveImportTest, WaitingFilesBecomeTitles) {
    AEImportList list;
    list.add(stereo("one.WAV", kSevenSeconds + 100));
    list.add(mono("two.wav", kSevenSeconds));
    list.add(stereo("side.wave", kSevenSeconds));
    ProjectTest::writeFile(dir.file("notes.wav"), "not audio");
    list.add(dir.file("notes.wav")); // never checked: skipped here
    host.cancel = true;              // left over: cleared by the routine
    const auto report = AEAddToProject::run(project, files, list);
    EXPECT_EQ(report.added, 3);
    EXPECT_EQ(report.skipped, (std::vector<std::string>{dir.file("notes.wav")}));
    EXPECT_EQ(report.left, 0);
    EXPECT_FALSE(report.cancelled);
    EXPECT_EQ(list.pending(), 0) << "every entry taken is emptied";

    ASSERT_EQ(project.titleCount(), 3);
    EXPECT_EQ(project.sourcePath(0), dir.file("one.WAV"));
    EXPECT_EQ(project.displayName(0), "one");
    EXPECT_EQ(project.length(0), kSevenSeconds + 100);
    EXPECT_EQ(project.sourcePath(1), base() + "/two.wav.stereo.wav");
    EXPECT_EQ(project.currentAudioPath(2), base() + "/side.wave.stereo.wav");
    EXPECT_EQ(AEFileManager::framesOf(project.currentAudioPath(2)), kSevenSeconds);
    EXPECT_TRUE(fs::exists(dir.file("one.pk")));
    EXPECT_TRUE(fs::exists(base() + "/two.wav.stereo.pk"));

    EXPECT_FALSE(host.busy);
    EXPECT_FALSE(list.adding);
    EXPECT_TRUE(list.importPending);
}

TEST_F(WaveImportTest, AFullProjectLeavesTheRestWaiting) {
    for (int i = 0; i < AEProject::kMaxTitles - 1; ++i) {
        ASSERT_TRUE(project.addTitle(false));
    }
    AEImportList list;
    for (const char* name : {"a.wav", "b.wav", "c.wav"}) {
        list.add(stereo(name, kSevenSeconds));
    }
    const auto report = AEAddToProject::run(project, files, list);
    EXPECT_EQ(report.added, 1);
    EXPECT_EQ(report.left, 2);
    EXPECT_EQ(project.titleCount(), 99);
    EXPECT_EQ(list.entry(1), dir.file("b.wav"));
}

TEST_F(WaveImportTest, TheRoutineRunsOnItsOwnThreadAndStopsWhenCancelled) {
    AEImportList list;
    list.add(mono("m1.wav", kSevenSeconds));
    list.add(stereo("s2.wav", kSevenSeconds));
    // Cancelled during the first file's stereo copy.
    host.onAdvance = [&](int64_t done) { host.cancel = host.cancel || done >= 3; };
    AEAddToProject::Report report;
    auto job = AEAddToProject::start(project, files, list, &report);
    EXPECT_EQ(job->wait(), 0);
    EXPECT_TRUE(report.cancelled);
    EXPECT_EQ(report.skipped, (std::vector<std::string>{dir.file("m1.wav")}));
    EXPECT_EQ(report.left, 1);
    host.applyOutcomes(project);
    EXPECT_EQ(project.titleCount(), 0);
    EXPECT_TRUE(RunTest::filesIn(base()).empty());
    EXPECT_FALSE(host.busy);
    EXPECT_TRUE(list.importPending);
}

} // namespace
