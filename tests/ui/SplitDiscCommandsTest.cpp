// "Export CD image..." and "Split at silences..." through the window's commands, with the
// file dialog answered by the test (the split's question in SplitMarksTest).
#include "WindowHarness.h"

#include "ProjectTestSupport.h"
#include "SplitTestSides.h"

namespace {

namespace fs = std::filesystem;

class SplitDiscCommandTest : public WindowTest {
protected:
    // Adds a title of `samples`, made current.
    void addTitle(const std::string& name, const std::vector<int16_t>& samples) {
        const std::string path = dir_.file(name + "-44100-2-16.wav");
        ProjectTest::writeWaveSamples(path, samples);
        ASSERT_TRUE(app_->project()->addImportedFile(path));
    }
};

TEST_F(SplitDiscCommandTest, ExportCdImageWritesTheSheetAndTheAudio) {
    newProject();
    addTitle("one", ProjectTest::testSignal(ProjectTest::kSevenSeconds, 1));
    addTitle("two", ProjectTest::testSignal(ProjectTest::kSevenSeconds + 100, 2));
    const std::string cue = dir_.file("disc.cue");
    chooser_.answers.push_back(QString::fromStdString(cue));
    window_->command(AEMainWindow::kExportDiscImage);
    settle();
    EXPECT_TRUE(dialogs_.alerts.empty());
    ASSERT_TRUE(fs::exists(cue));
    EXPECT_EQ(QFileInfo(chooser_.proposed.back()).suffix(), QStringLiteral("cue"));
    // Two tracks (the sheet and the audio themselves are checked in AEDiscImageTest).
    EXPECT_TRUE(fs::exists(dir_.file("disc.bin")));
    EXPECT_NE(ProjectTest::readFile(cue).find("TRACK 02 AUDIO"), std::string::npos);
    EXPECT_FALSE(app_->isBusy());
}

TEST_F(SplitDiscCommandTest, ProjectLongerThanTheDiscIsRefusedBeforeAnyDialog) {
    newProject();
    addTitle("long", ProjectTest::testSignal(ProjectTest::kSevenSeconds, 3));
    app_->project()->title(0)->setFadePoint(3, (app_->cdCapacitySeconds() + 1) * 44100);
    const size_t asked = chooser_.titles.size();
    window_->command(AEMainWindow::kExportDiscImage);
    settle();
    EXPECT_EQ(chooser_.titles.size(), asked);
    ASSERT_EQ(dialogs_.alerts.size(), 1u);
    EXPECT_EQ(dialogs_.alerts[0], stdText(3263));
    EXPECT_FALSE(app_->isBusy());
}

TEST_F(SplitDiscCommandTest, TitleWithoutGapsIsReported) {
    newProject();
    addTitle("plain", SplitTest::SideBuilder(32).song(9).build().samples);
    ASSERT_TRUE(app_->project()->currentTitle() == 0 || app_->project()->select(0));
    window_->command(AEMainWindow::kSplitAtSilences);
    EXPECT_TRUE(dialogs_.questions.empty());
    ASSERT_EQ(dialogs_.alerts.size(), 1u);
    EXPECT_EQ(dialogs_.alerts[0], stdText(3268));
    EXPECT_EQ(app_->project()->titleCount(), 1);
}

} // namespace
