// Loading and saving project files: the record order, the checks of a file and of its
// titles, damaged files, and saves that never lose the old file.
#include "AEProject.h"

#include "ProjectTestSupport.h"
#include "support/TestDirs.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

using ProjectTest::kSevenSeconds;
using ProjectTest::RecordImage;

namespace {

class ProjectFileTest : public ::testing::Test {
protected:
    // A title audio file of `frames` frames named <stem>.wav in the test folder; its audio
    // base (the path without ".wav").
    std::string audio(const std::string& stem, int32_t frames = kSevenSeconds) {
        const std::string base = dir.file(stem);
        ProjectTest::writeWave(base + ".wav", frames);
        return base;
    }
    std::unique_ptr<AEProject> load(const RecordImage& image) {
        image.save(path);
        report = {};
        return AEProject::load(path, &report);
    }

    ProjectTest::RecordingHost host;
    TestDir dir;
    std::string path = dir.file("project.dat");
    AEProject::LoadReport report;
};

TEST_F(ProjectFileTest, AnEmptyProjectIsSavedAsFourRecordsAndReloads) {
    AEProject project;
    project.setProjectTitle("Live 1971");
    project.setBaseDirectory("/music/");
    bool written = false;
    EXPECT_FALSE(project.save(path, &written)) << "no title was written";
    EXPECT_TRUE(written);

    RecordImage expected;
    expected.integer("Vers", 1000)
        .text("Titl", "Live 1971")
        .integer("Numt", 0)
        .text("Bdir", "/music/");
    EXPECT_EQ(ProjectTest::readFile(path), expected.bytes());

    auto loaded = AEProject::load(path, &report);
    ASSERT_TRUE(loaded) << report.error;
    EXPECT_EQ(loaded->titleCount(), 0);
    EXPECT_EQ(loaded->projectTitle(), "Live 1971");
    EXPECT_EQ(loaded->baseDirectory(), "/music/");
    EXPECT_EQ(loaded->currentTitle(), -1);
    EXPECT_TRUE(host.messages.empty());
}

// Every record of a title is read and written back in its place: a loaded file saves to
// the same bytes.
TEST_F(ProjectFileTest, TitlesAreReadAndSavedBackRecordForRecord) {
    const std::string bases[2] = {audio("first"), audio("second", kSevenSeconds + 500)};
    RecordImage image;
    image.projectHeader(1000, 2, "/tmp/");
    image.titleBlock(0, bases[0], "3", bases[0] + ".wav");
    image.titleBlock(1, bases[1], "0", bases[1] + ".wav");
    auto loaded = load(image);
    ASSERT_TRUE(loaded) << report.error;
    ASSERT_EQ(loaded->titleCount(), 2);
    for (int32_t i = 0; i < 2; ++i) {
        EXPECT_EQ(loaded->fileIndex(i), i);
        EXPECT_EQ(loaded->artist(i), "artist " + std::to_string(i));
        EXPECT_EQ(loaded->displayName(i), "name " + std::to_string(i));
        for (int slot = 0; slot < 6; ++slot) {
            EXPECT_EQ(loaded->processorParam(i, slot), 1000 * (slot + 1) + i);
            EXPECT_EQ(loaded->processorEnabled(i, slot), slot % 2 != 0);
            EXPECT_EQ(loaded->title(i)->processorEnabledWorking(slot), slot % 2 != 0);
        }
        EXPECT_EQ(loaded->fadePoint(i, 3), 308000);
        EXPECT_EQ(loaded->zoom(i), 4096 + i);
    }
    EXPECT_EQ(loaded->pauseSeconds(0), "3");
    EXPECT_EQ(loaded->length(1), kSevenSeconds + 500);
    EXPECT_EQ(loaded->currentTitle(), 1) << "the last title becomes current";
    EXPECT_TRUE(loaded->isSelected(1));
    EXPECT_FALSE(loaded->isSelected(0));
    bool written = false;
    EXPECT_TRUE(loaded->save(path, &written));
    EXPECT_TRUE(written);
    EXPECT_EQ(ProjectTest::readFile(path), image.bytes());
}

// A file of a newer version, an impossible title count, a block not beginning with "Tfid",
// a title's setting before its audio base or a text longer than the file is refused
// whole, with the reason.
TEST_F(ProjectFileTest, FilesThatCannotBeUnderstoodAreRefused) {
    const std::string base = audio("refused");
    RecordImage older;
    EXPECT_TRUE(load(older.projectHeader(999, 0))) << "an older version is read";
    auto block = [&](const char* setting) {
        RecordImage image;
        image.projectHeader(1000, 1).integer("Tfid", 0).integer(setting, 1);
        image.text("Tnam", base).text("Ptrn", "x").text("Enot", "****");
        return image;
    };
    RecordImage newer, tooMany, negative, order, huge, negativeText;
    newer.projectHeader(1001, 0);
    tooMany.projectHeader(1000, 100);
    negative.projectHeader(1000, -1);
    order.projectHeader(1000, 1).text("Tart", "first").integer("Tfid", 0).text("Tnam", base);
    order.text("Enot", "****");
    huge.integer("Vers", 1000).rawText("Titl", 0xFFFFFFFFu, "abc");
    negativeText.projectHeader(1000, 1).integer("Tfid", 0).rawText("Tart", 0x80000000u, "");
    const std::pair<RecordImage, const char*> cases[] = {
        {newer, "1001"},     {tooMany, "titles"}, {negative, "titles"}, {order, "Tfid"},
        {block("Slpa"), ""}, {block("Faio"), ""}, {block("Prst"), ""},  {block("Zoom"), ""},
        {huge, ""},          {negativeText, ""},
    };
    for (const auto& [image, reason] : cases) {
        EXPECT_FALSE(load(image)) << reason;
        EXPECT_FALSE(report.error.empty());
        EXPECT_NE(report.error.find(reason), std::string::npos) << report.error;
    }
    EXPECT_FALSE(AEProject::load(dir.file("no such project.dat"), &report));
    EXPECT_FALSE(report.error.empty());
}

// A full disc's worth of titles loads (one more is refused above).
TEST_F(ProjectFileTest, NinetyNineTitlesLoad) {
    const std::string shared = audio("shared");
    RecordImage image;
    image.projectHeader(1000, 99);
    for (int32_t i = 0; i < 99; ++i) {
        image.titleBlock(i, shared);
    }
    auto project = load(image);
    ASSERT_TRUE(project) << report.error;
    EXPECT_EQ(project->titleCount(), 99);
}

// A pause is whole seconds from 0 to 4; a source marked not available, in any case, is
// the title's own audio.
TEST_F(ProjectFileTest, PausesAreClampedAndAMissingSourceIsTheAudio) {
    const std::string base = audio("pause");
    const struct {
        const char* pause;
        const char* source;
        const char* loadedPause;
        std::string loadedSource;
    } cases[] = {{"7", "not_available", "4", base + ".wav"},
                 {"abc", "NOT_AVAILABLE", "0", base + ".wav"},
                 {"3", "/elsewhere/take.wav", "3", "/elsewhere/take.wav"}};
    for (const auto& c : cases) {
        RecordImage image;
        image.projectHeader(1000, 1).titleBlock(0, base, c.pause, c.source);
        auto project = load(image);
        ASSERT_TRUE(project) << report.error;
        EXPECT_EQ(project->pauseSeconds(0), c.loadedPause) << '"' << c.pause << '"';
        EXPECT_EQ(project->sourcePath(0), c.loadedSource) << c.source;
    }
}

TEST_F(ProjectFileTest, TitlesWhoseAudioIsAwayStayUnchanged) {
    const std::string kept0 = audio("kept0");
    const std::string kept3 = audio("kept3");
    RecordImage image;
    image.projectHeader(1000, 4).titleBlock(0, kept0);
    image.titleBlock(1, dir.file("gone1"), "3").titleBlock(2, dir.file("gone2"));
    image.titleBlock(3, kept3);
    host.languageOffset = 1000;
    auto project = load(image);
    ASSERT_TRUE(project) << report.error;
    ASSERT_EQ(project->titleCount(), 4);
    EXPECT_TRUE(report.removedTitles.empty());
    EXPECT_EQ(report.missingFiles,
              (std::vector<std::string>{dir.file("gone1.wav"), dir.file("gone2.wav")}));
    EXPECT_EQ(project->missingTitles(), (std::vector<int32_t>{1, 2}));
    EXPECT_EQ(project->missingAudio({0, 2, 1}), dir.file("gone2.wav"));
    EXPECT_EQ(project->length(1), -1);
    // One message, in the user's language, naming the files.
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text,
              "S4281\n" + dir.file("gone1.wav") + "\n" + dir.file("gone2.wav"));
    EXPECT_EQ(project->currentTitle(), 3);
    // The disc time still counts them.
    EXPECT_EQ(project->totalFrames(), 4 * int64_t{308000 - 10} + 9 * 44100);

    // Saved as they were, record for record.
    ASSERT_TRUE(project->save(path));
    EXPECT_EQ(ProjectTest::readFile(path), image.bytes());
    // (The drive back, a refresh finds the title: AETransportTest, UsersWeekTest.)
}

TEST_F(ProjectFileTest, ARecordingCutOffByACrashIsMendedAndPlaysWhole) {
    // The recording's header still says 0 frames; the file holds eight seconds.
    const std::string base = audio("Title_00", 8 * 44100);
    std::string bytes = ProjectTest::readFile(base + ".wav");
    for (size_t at : {size_t{4}, size_t{40}}) {
        const uint32_t size = at == 4 ? 36 : 0;
        std::memcpy(bytes.data() + at, &size, 4);
    }
    ProjectTest::writeFile(base + ".wav", bytes);
    // Recorded by a process that is gone now; one still running is left alone.
    const pid_t gone = fork();
    if (gone == 0) {
        _exit(0);
    }
    waitpid(gone, nullptr, 0);
    const std::string journal = dir.file("recordings");
    ProjectTest::writeFile(journal, std::to_string(gone) + " " + base + ".wav\n" +
                                        std::to_string(getpid()) + " " + dir.file("live.wav\n"));
    setenv("GLEAM_RECORDING_JOURNAL", journal.c_str(), 1);
    RecordImage image;
    image.projectHeader(1000, 1).integer("Tfid", 0).text("Tnam", base).text("Ptrn", "x");
    for (const char* tag : {"Faio", "Faio", "Faio", "Faio"}) {
        image.integer(tag, 0);
    }
    image.text("Enot", "****");
    auto project = load(image);
    unsetenv("GLEAM_RECORDING_JOURNAL");
    ASSERT_TRUE(project) << report.error;
    ASSERT_EQ(project->titleCount(), 1);
    EXPECT_EQ(project->length(0), 8 * 44100);
    EXPECT_EQ(project->fadePoint(0, 3), 8 * 44100) << "it plays to its end";
    EXPECT_EQ(ProjectTest::readFile(journal),
              std::to_string(getpid()) + " " + dir.file("live.wav\n"));
    ASSERT_FALSE(host.messages.empty());
    EXPECT_NE(host.messages[0].text.find(base + ".wav"), std::string::npos);
}

TEST_F(ProjectFileTest, TitlesShorterThan308699FramesAreRemoved) {
    const std::string shortBase = audio("short", 308698);
    const std::string longBase = audio("long", 308699);
    RecordImage image;
    image.projectHeader(1000, 2).titleBlock(0, shortBase).titleBlock(1, longBase);
    auto project = load(image);
    ASSERT_TRUE(project) << report.error;
    ASSERT_EQ(project->titleCount(), 1);
    EXPECT_EQ(project->audioBase(0), longBase);
    EXPECT_EQ(project->length(0), 308699);
    EXPECT_TRUE(std::filesystem::exists(shortBase + ".wav")) << "removed titles keep their files";
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].data, 3104);
}

TEST_F(ProjectFileTest, ProcessedTitlesAreCheckedByTheirProcessedFile) {
    const std::string processed = audio("take.p") + ".wav";
    const std::string tooShort = audio("short.p", kSevenSeconds - 2) + ".wav";
    RecordImage image;
    image.projectHeader(1000, 3);
    image.titleBlock(0, dir.file("raw-gone"), "2", "x.wav", 3, processed);
    image.titleBlock(1, dir.file("raw-gone-too"), "2", "x.wav", 3, dir.file("missing.p.wav"));
    image.titleBlock(2, audio("raw-there"), "2", "x.wav", 3, tooShort);
    auto project = load(image);
    ASSERT_TRUE(project) << report.error;
    ASSERT_EQ(project->titleCount(), 2) << "the too short one goes, the missing one stays";
    EXPECT_EQ(project->currentAudioPath(0), processed);
    EXPECT_EQ(project->length(0), kSevenSeconds);
    EXPECT_EQ(project->missingTitles(), (std::vector<int32_t>{1}));
}

TEST_F(ProjectFileTest, UnknownRecordsAndImpossibleTextsAreSkipped) {
    const std::string base = audio("skip");
    RecordImage image;
    image.projectHeader(1000, 1);
    image.integer("Tfid", 0).text("Xtra", "unknown text record").integer("Xint", 5);
    image.flag("Xflg", true).rawText("Tart", 0, "").rawText("Tedn", 5000, std::string(5000, 'x'));
    image.integer("Tnam", 12).text("Tnam", base).text("Ptrn", "not yet processed");
    image.integer("Zoom", 77).text("Enot", "****");
    auto project = load(image);
    ASSERT_TRUE(project) << report.error;
    ASSERT_EQ(project->titleCount(), 1);
    EXPECT_EQ(project->audioBase(0), base) << "an integer \"Tnam\" is skipped, not misread";
    EXPECT_EQ(project->zoom(0), 77);
    EXPECT_EQ(project->artist(0), "S3006") << "the skipped text keeps the default";
}

TEST_F(ProjectFileTest, ABlockEndsAfterAThousandRecords) {
    const std::string base = audio("cap");
    RecordImage image;
    image.projectHeader(1000, 2).integer("Tfid", 0).text("Tnam", base).text("Ptrn", "p");
    for (int i = 0; i < 997; ++i) {
        image.integer("Fill", i); // the 1000th record of the block
    }
    image.titleBlock(1, base);
    auto project = load(image);
    ASSERT_TRUE(project) << report.error;
    EXPECT_EQ(project->titleCount(), 2);
    EXPECT_EQ(project->displayName(1), "name 1");
}

TEST_F(ProjectFileTest, EveryTruncationIsRefused) {
    const std::string base = audio("cut");
    RecordImage image;
    image.projectHeader(1000, 2).titleBlock(0, base).titleBlock(1, base);
    const std::string whole = image.bytes();
    for (size_t size = 0; size < whole.size(); ++size) {
        ProjectTest::writeFile(path, whole.substr(0, size));
        EXPECT_FALSE(AEProject::load(path)) << size;
    }
    ProjectTest::writeFile(path, whole);
    EXPECT_TRUE(AEProject::load(path));
}

} // namespace
