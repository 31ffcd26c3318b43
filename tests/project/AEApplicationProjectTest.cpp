// The application with its project: the current title handed on when a recording stops,
// and the removal message of a loaded project shown in the user's language. (The project
// saved at shutdown: StartupTest.)
#include "AEApplication.h"
#include "RegistryStore.h"
#include "StringTable.h"

#include "FMessageQueue.h"

#include "ProjectTestSupport.h"
#include "support/AppStandIns.h"
#include "support/QtTestApp.h"
#include "support/TestDirs.h"

#include <gtest/gtest.h>

namespace {

class ApplicationProjectTest : public ::testing::Test {
protected:
    void SetUp() override {
        qtTestApp();
        RegistryStore().writeText("customLang", "de");
    }
    TestDir dir;
};

TEST_F(ApplicationProjectTest, AStoppedRecordingHandsOnTheCurrentTitle) {
    AEApplication app;
    RecordingWindow window;
    app.setMainWindow(&window);
    app.postAppMessage(AEApplication::kTagRecordingStopped);
    FMessageQueue::deliverPending();
    auto project = std::make_unique<AEProject>();
    for (int i = 0; i < 3; ++i) {
        project->addTitle(true);
    }
    project->select(1);
    app.setProject(std::move(project), dir.file("p.dat"));
    app.postAppMessage(AEApplication::kTagRecordingStopped);
    FMessageQueue::deliverPending();
    app.project()->deleteTitle(0, false);
    app.postAppMessage(AEApplication::kTagRecordingStopped);
    FMessageQueue::deliverPending();
    EXPECT_EQ(window.callsOf("recordingStopped"),
              (std::vector<std::string>{"recordingStopped -1", "recordingStopped 1",
                                        "recordingStopped -1"}));
    app.setMainWindow(nullptr);
}

TEST_F(ApplicationProjectTest, MissingTitlesAreReportedInTheUsersLanguage) {
    AEApplication app;
    ASSERT_EQ(app.languageOffset(), 1000);
    ScriptedDialogs alerts;
    app.setDialogs(&alerts);
    ProjectTest::RecordImage image;
    image.projectHeader(1000, 2).titleBlock(0, dir.file("a")).titleBlock(1, dir.file("b"));
    image.save(dir.file("gone.dat"));
    auto project = AEProject::load(dir.file("gone.dat"));
    ASSERT_TRUE(project);
    EXPECT_EQ(project->titleCount(), 2);
    EXPECT_EQ(project->projectTitle(), "A CD");
    FMessageQueue::deliverPending();
    ASSERT_EQ(alerts.alerts.size(), 1u);
    std::string expected = *StringTable::instance().find(4281);
    expected.replace(expected.find("%1"), 2, dir.file("a.wav") + "\n" + dir.file("b.wav"));
    EXPECT_EQ(alerts.alerts[0], expected);
    app.setDialogs(nullptr);
}

} // namespace
