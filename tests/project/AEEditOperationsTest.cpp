// Naming and preparing recorded titles, deleting the selected title after asking, and the
// busy state the question holds (AEBusyGuard).
#include "AEEditOperations.h"

#include "AEBusyGuard.h"
#include "AEFileManager.h"
#include "AEProject.h"
#include "ProjectTestSupport.h"
#include "support/TestDirs.h"

#include <gtest/gtest.h>

#include <functional>

#include <filesystem>
#include <optional>

namespace {

using AEEditOperations::makeTitleBaseName;

class EditOperationsTest : public ::testing::Test {
protected:
    EditOperationsTest() {
        project.setBaseDirectory(dir.path() + "/");
        files.setProject(&project);
    }
    // `count` titles, each with a short audio file and a peak file of its own.
    void fill(int32_t count) {
        for (int32_t i = 0; i < count; ++i) {
            ASSERT_TRUE(project.addTitle(true));
            project.title(i)->setDisplayName("T" + std::to_string(i));
            project.title(i)->setAudioBase(dir.file("T" + std::to_string(i)));
            ProjectTest::writeWave(dir.file("T" + std::to_string(i) + ".wav"), 100);
            ProjectTest::writeFile(dir.file("T" + std::to_string(i) + ".pk"), "peaks");
        }
    }
    std::vector<std::string> names() const {
        std::vector<std::string> list;
        for (int32_t i = 0; i < project.titleCount(); ++i) {
            list.push_back(project.displayName(i));
        }
        return list;
    }
    void touch(const std::string& name) { ProjectTest::writeFile(dir.file(name), "x"); }

    ProjectTest::RecordingHost host;
    ProjectTest::EngineProbe engine;
    TestDir dir;
    AEProject project;
    AEFileManager files;
};

TEST_F(EditOperationsTest, TheBaseNameSkipsTitlesThatExist) {
    touch("Title_01.wav");
    touch("Title_02.wav");
    EXPECT_EQ(makeTitleBaseName(dir.path() + "/", 1), dir.file("Title_03"));
    EXPECT_EQ(makeTitleBaseName(dir.path(), 0), dir.file("Title_00"))
        << "a folder without its trailing separator gets one";
    // A peak file left by another recording takes the name too: its peaks are not ours.
    touch("Title_03.pk");
    EXPECT_EQ(makeTitleBaseName(dir.path(), 3), dir.file("Title_04"));
    // So does a title's file that is away today.
    ASSERT_TRUE(project.addTitle(true));
    project.title(0)->setAudioBase(dir.file("Title_04"));
    EXPECT_EQ(makeTitleBaseName(dir.path(), 3, &project), dir.file("Title_05"));
    // The number grows past 99; something of that name that cannot be read is not replaced.
    touch("Title_99.wav");
    EXPECT_EQ(makeTitleBaseName(dir.path(), 99), dir.file("Title_100"));
    std::filesystem::create_directory(dir.file("Title_07.wav"));
    EXPECT_EQ(makeTitleBaseName(dir.path(), 7), dir.file("Title_08"));
}

TEST_F(EditOperationsTest, TheFirstRecordingOfAnEmptyProjectIsTitle00) {
    const auto plan = AEEditOperations::prepareRecording(project, files);
    ASSERT_EQ(plan.refusal, 0);
    EXPECT_EQ(plan.index, 0);
    EXPECT_EQ(plan.path, dir.file("Title_00.wav"));
    EXPECT_GT(plan.maxRecordFrames, 0);
    ASSERT_EQ(project.titleCount(), 1);
    EXPECT_EQ(project.currentTitle(), 0);
    const AETitle& title = *project.title(0);
    EXPECT_EQ(title.audioBase(), dir.file("Title_00"));
    EXPECT_EQ(title.artist(), "S3055");
    EXPECT_EQ(engine.loaded, (std::vector<int32_t>{0}));

    // The second goes to the title's own number unless that file exists.
    touch("Title_00.wav");
    touch("Title_01.wav");
    const auto second = AEEditOperations::prepareRecording(project, files);
    EXPECT_EQ(second.index, 1);
    EXPECT_EQ(second.path, dir.file("Title_02.wav"));
}

TEST_F(EditOperationsTest, ARecordingIsRefusedAt99Titles) {
    for (int i = 0; i < AEProject::kMaxTitles; ++i) {
        ASSERT_TRUE(project.addTitle(false));
    }
    const auto plan = AEEditOperations::prepareRecording(project, files);
    EXPECT_EQ(plan.refusal, 3000);
    EXPECT_EQ(plan.index, -1);
    EXPECT_EQ(project.titleCount(), 99);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].data, 3000);
    EXPECT_TRUE(engine.loaded.empty());
}

// A command's guard and the guard of the run it starts overlap; busy ends with the last.
TEST_F(EditOperationsTest, BusyLastsUntilTheLastOfOverlappingGuardsGoes) {
    std::optional<AEBusyGuard> command(std::in_place);
    EXPECT_TRUE(host.busy);
    {
        AEBusyGuard run;
        const AEBusyGuard handedOn(std::move(run));
        EXPECT_FALSE(run.held());
        command.reset();
        EXPECT_TRUE(host.busy) << "the run's guard, handed on, still holds";
        host.busy = false; // cleared directly meanwhile
        const AEBusyGuard next;
        EXPECT_TRUE(host.busy) << "a new guard sets it again";
    }
    EXPECT_FALSE(host.busy);
}

TEST_F(EditOperationsTest, DeletingTheSelectedTitleSelectsTheOneNowInItsPlace) {
    fill(4);
    ASSERT_TRUE(project.select(1));
    host.answer = true;
    EXPECT_EQ(AEEditOperations::deleteSelectedTitle(project, files, true), 1);
    EXPECT_EQ(host.questions, (std::vector<int32_t>{3052}));
    EXPECT_EQ(names(), (std::vector<std::string>{"T0", "T2", "T3"}));
    EXPECT_EQ(project.currentTitle(), 1);
    EXPECT_TRUE(project.isSelected(1));
    EXPECT_EQ(engine.loaded, (std::vector<int32_t>{1}));
    EXPECT_FALSE(std::filesystem::exists(dir.file("T1.wav")));
    EXPECT_FALSE(std::filesystem::exists(dir.file("T1.pk")));
    EXPECT_TRUE(std::filesystem::exists(dir.file("T2.wav")));

    // The last title: the new last one is selected. Files stay without the flag.
    ASSERT_TRUE(project.select(2));
    EXPECT_EQ(AEEditOperations::deleteSelectedTitle(project, files, false), 1);
    EXPECT_EQ(names(), (std::vector<std::string>{"T0", "T2"}));
    EXPECT_TRUE(std::filesystem::exists(dir.file("T3.wav")));

    // After the only title nothing is selected, and the engine lets go of its file.
    EXPECT_EQ(AEEditOperations::deleteSelectedTitle(project, files, false), 0);
    EXPECT_EQ(AEEditOperations::deleteSelectedTitle(project, files, false), -1);
    EXPECT_EQ(project.titleCount(), 0);
    EXPECT_EQ(project.currentTitle(), -1);
    EXPECT_EQ(engine.loaded.back(), -1);
}

// Nothing is deleted in an empty project, while playing or busy (refused before asking),
// without the user's yes (busy while the question is open), or when nobody can be asked.
TEST_F(EditOperationsTest, NothingIsDeletedWhenRefusedOrWithoutYes) {
    host.answer = true;
    EXPECT_EQ(AEEditOperations::deleteSelectedTitle(project, files, false), -2) << "empty";
    fill(2);
    const struct {
        const char* what;
        std::function<void(bool)> state;
        std::vector<int32_t> questions;
    } cases[] = {
        {"playing", [&](bool on) { engine.playing = on; }, {}},
        {"busy", [&](bool on) { host.busy = on; }, {}},
        {"answered no", [&](bool on) { host.answer = !on; }, {3053}},
        {"nobody to ask", [&](bool on) { AppHost::setCurrent(on ? nullptr : &host); }, {}},
    };
    for (const auto& c : cases) {
        host.questions.clear();
        c.state(true);
        EXPECT_EQ(AEEditOperations::deleteSelectedTitle(project, files, false), -2) << c.what;
        c.state(false);
        EXPECT_EQ(host.questions, c.questions) << c.what;
        EXPECT_EQ(project.titleCount(), 2) << c.what;
    }
    EXPECT_TRUE(host.busyWhileAsked) << "busy while the question is open";
    EXPECT_FALSE(host.busy);
    EXPECT_EQ(AEEditOperations::removeTitle(project, files, 2, false), -2) << "no such title";
}

} // namespace
