// The proposed split points on the waveform while the split question is open, gone after
// the answer, and the split made on a yes; by the menu and by the main view's button.
#include "AEMainView.h"
#include "AEWaveformView.h"
#include "ProjectTestSupport.h"
#include "SplitTestSides.h"
#include "WindowHarness.h"

#include <QPushButton>

#include <cstdlib>

namespace {

// Answers the question like the scripted dialogs and notes the marks the view had then.
class InspectingDialogs : public ScriptedDialogs {
public:
    explicit InspectingDialogs(const AEWaveformView& view) : view_(view) {}
    bool askYesNo(const std::string& text) override {
        marksAsked.push_back(view_.splitMarks());
        return ScriptedDialogs::askYesNo(text);
    }
    std::vector<std::vector<int32_t>> marksAsked;

private:
    const AEWaveformView& view_;
};

class SplitMarksCommandTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        inspecting_ = std::make_unique<InspectingDialogs>(window_->waveform());
        app_->setDialogs(inspecting_.get());
    }
    void TearDown() override {
        app_->setDialogs(&dialogs_);
        WindowTest::TearDown();
    }
    // A side of three songs as the current title; the true song starts.
    std::vector<int32_t> addSide(uint32_t seed) {
        newProject();
        const auto side =
            SplitTest::SideBuilder(seed).song(8).gap(2).song(9).gap(2).song(8).build();
        const std::string path = dir_.file("side-44100-2-16.wav");
        ProjectTest::writeWaveSamples(path, side.samples);
        EXPECT_TRUE(app_->project()->addImportedFile(path));
        EXPECT_TRUE(app_->project()->currentTitle() == 0 || app_->project()->select(0));
        return side.songStarts;
    }
    // The marks shown at question `q` lie within 50 ms of `starts`.
    void expectMarksAt(size_t q, const std::vector<int32_t>& starts) {
        ASSERT_GT(inspecting_->marksAsked.size(), q);
        const std::vector<int32_t>& marks = inspecting_->marksAsked[q];
        ASSERT_EQ(marks.size(), starts.size());
        for (size_t s = 0; s < starts.size(); ++s) {
            EXPECT_LE(std::abs(marks[s] - starts[s]), SplitTest::kRate / 20) << "song " << s;
        }
    }
    std::unique_ptr<InspectingDialogs> inspecting_;
};

TEST_F(SplitMarksCommandTest, TheProposalIsOnTheWaveformOnlyWhileTheQuestionIsOpen) {
    const std::vector<int32_t> starts = addSide(41);
    EXPECT_TRUE(window_->waveform().splitMarks().empty());

    inspecting_->answer = false;
    window_->command(AEMainWindow::kSplitAtSilences);
    expectMarksAt(0, starts);
    EXPECT_TRUE(window_->waveform().splitMarks().empty()) << "cancelled";
    EXPECT_EQ(app_->project()->titleCount(), 1);

    // The main view's button runs the same command.
    inspecting_->answer = true;
    QPushButton* button = window_->view().button(AEMainView::kSplitAtSilences);
    ASSERT_TRUE(button->isEnabled());
    button->click();
    ASSERT_EQ(inspecting_->questions.size(), 2u);
    expectMarksAt(1, starts);
    EXPECT_TRUE(window_->waveform().splitMarks().empty()) << "accepted";
    EXPECT_EQ(app_->project()->titleCount(), 3);
    EXPECT_EQ(app_->project()->currentTitle(), 0);
    EXPECT_EQ(app_->project()->displayName(2), stdText(3007) + " 3");
    EXPECT_TRUE(inspecting_->alerts.empty());
    EXPECT_FALSE(app_->isBusy());
}

} // namespace
