// The title list: rows and colours as drawn, selection by click, in-place editing, the
// title-state switch and dropping WAVE files.
#include "AETrackListDisplay.h"

#include "AEImportList.h"
#include "FClassRegistry.h"
#include "ListWaveformTestSupport.h"

#include <QLineEdit>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>

#include <filesystem>
#include <functional>

namespace {

using namespace ListWaveformTest;

constexpr int32_t kEightSeconds = 8 * 44100;

class TrackListTest : public WindowTest {
protected:
    TrackListTest() : WindowTest(Start::kApp) {}
    void SetUp() override {
        WindowTest::SetUp();
        list_ = std::make_unique<AETrackListDisplay>(*app_, importList_);
        list_->resize(320, 160);
    }
    void TearDown() override {
        list_.reset();
        WindowTest::TearDown();
    }
    AETrackListDisplay& list() { return *list_; }
    AEProject& titles(int count) {
        AEProject& project = projectOf(count);
        list_->refresh();
        return project;
    }
    // A double click as the window system delivers it: press and release, then the
    // double-click event and its release.
    void doubleClick(QPoint at) {
        QTest::mouseClick(list_.get(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list_.get(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(list_.get(), Qt::LeftButton, {}, at);
    }
    void rightClick(QPoint at, Qt::KeyboardModifiers modifiers = {}) {
        QTest::mouseClick(list_.get(), Qt::RightButton, modifiers, at);
    }
    // Opens the editor of `kind` on the current row `row` and ends it with `key`.
    void edit(int32_t row, int x, const QString& text, Qt::Key key = Qt::Key_Return) {
        doubleClick(QPoint(x, row * 16 + 8));
        ASSERT_NE(list_->editor(), nullptr);
        list_->editor()->setText(text);
        QTest::keyClick(list_->editor(), key);
        EXPECT_EQ(list_->editor(), nullptr);
    }

    AEImportList importList_;
    std::unique_ptr<AETrackListDisplay> list_;
};

} // namespace

TEST_F(TrackListTest, RowNumbersHaveTwoDigitsBelowTen) {
    AEProject& project = titles(10);
    project.title(8)->setFadePoint(3, 441000 + 26460);
    list().refresh();
    ASSERT_EQ(list().rows().size(), 10u);
    EXPECT_EQ(list().rows()[8].number, QStringLiteral("09"));
    EXPECT_EQ(list().rows()[9].number, QStringLiteral("10"));
    EXPECT_EQ(list().rows()[9].name, QStringLiteral("Song 10"));
    EXPECT_EQ(list().rows()[9].artist, QStringLiteral("Artist 10"));
    EXPECT_EQ(list().rows()[9].pause, QStringLiteral("2"));
    // The playing length runs from the start point to the end point, in whole seconds.
    EXPECT_EQ(list().rows()[9].length, QStringLiteral("00:10"));
    EXPECT_EQ(list().rows()[8].length, QStringLiteral("00:10")) << "10.6 s";
}

// The bar lies behind the current row (16 pixels a row) and nothing else; a processed
// title is written in its own colour.
TEST_F(TrackListTest, TheBarMarksTheCurrentRowAndProcessedTitlesTheirColour) {
    AEProject& project = titles(3);
    ASSERT_TRUE(project.select(1));
    project.title(2)->setStateCode(AETitleProcessState::kProcessed);
    list().refresh();
    const QImage image = render(list());
    EXPECT_EQ(count(image, AETrackListDisplay::kBar, QRect(310, 0, 1, 160)), 16);
    EXPECT_TRUE(same(image.pixel(310, 16), AETrackListDisplay::kBar));
    const QRect row0Name(26, 0, 94, 16);
    const QRect row2Name(26, 32, 94, 16);
    EXPECT_GT(count(image, AETrackListDisplay::kText, row0Name), 0);
    EXPECT_EQ(count(image, AETrackListDisplay::kProcessed, row0Name), 0);
    EXPECT_GT(count(image, AETrackListDisplay::kProcessed, row2Name), 0);
    EXPECT_EQ(count(image, AETrackListDisplay::kText, row2Name), 0);
}

TEST_F(TrackListTest, ClickChoosesTheTitleAndBelowTheLastRowTheLastTitle) {
    AEProject& project = titles(3);
    QSignalSpy shown(&list(), &AETrackListDisplay::titleShown);
    QTest::mouseClick(&list(), Qt::LeftButton, {}, QPoint(60, 16 + 5));
    EXPECT_EQ(project.currentTitle(), 1);
    QTest::mouseClick(&list(), Qt::LeftButton, {}, QPoint(60, 150));
    EXPECT_EQ(project.currentTitle(), 2);
    EXPECT_EQ(shown.count(), 2);
    EXPECT_TRUE(list().rows()[2].selected);
    EXPECT_FALSE(list().rows()[0].selected);
}

// A single click on the current title edits nothing; a double click edits the column
// under it (the name first where two meet, nothing between artist and pause).
TEST_F(TrackListTest, ADoubleClickEditsTheColumnUnderIt) {
    AEProject& project = titles(2);
    QTest::mouseClick(&list(), Qt::LeftButton, {}, QPoint(50, 8));
    EXPECT_EQ(list().editor(), nullptr);
    EXPECT_EQ(list().editKind(), AETrackListDisplay::kEditNone);
    const std::pair<int, int32_t> columns[] = {{50, AETrackListDisplay::kEditName},
                                               {124, AETrackListDisplay::kEditName},
                                               {125, AETrackListDisplay::kEditArtist},
                                               {250, AETrackListDisplay::kEditPause},
                                               {242, AETrackListDisplay::kEditNone}};
    for (const auto& [x, kind] : columns) {
        doubleClick(QPoint(x, 8));
        EXPECT_EQ(list().editKind(), kind) << x;
        EXPECT_EQ(list().editor() != nullptr, kind != AETrackListDisplay::kEditNone) << x;
        list().endEdit();
    }
    // On another title the first click chooses it, the second one edits.
    doubleClick(QPoint(50, 16 + 8));
    EXPECT_EQ(project.currentTitle(), 1);
    ASSERT_NE(list().editor(), nullptr);
    EXPECT_EQ(list().editRow(), 1);
    EXPECT_EQ(list().editor()->text(), QStringLiteral("Song 2"));
    // What is typed stays within what a project file's text record holds.
    EXPECT_EQ(list().editor()->maxLength(), AETrackListDisplay::kMaxEditChars);
    EXPECT_EQ(app_->inPlaceEditor(), dynamic_cast<AEInPlaceEditor*>(list().editor()));
}

TEST_F(TrackListTest, NameAndArtistAreStoredOnEnterEscapeCloseOrANewEditor) {
    AEProject& project = titles(1);
    edit(0, 60, QStringLiteral("Moonlight"));
    EXPECT_EQ(project.displayName(0), "Moonlight");
    edit(0, 160, QStringLiteral("Grandpa's 78s"), Qt::Key_Escape);
    EXPECT_EQ(project.artist(0), "Grandpa's 78s");
    // The application closes the open editor with message 3; the text is kept.
    doubleClick(QPoint(60, 8));
    ASSERT_NE(list().editor(), nullptr);
    list().editor()->setText(QStringLiteral("Side B"));
    app_->postAppMessage(AppHost::kTagCloseEditor);
    deliver();
    EXPECT_EQ(list().editor(), nullptr);
    EXPECT_EQ(project.displayName(0), "Side B");
    EXPECT_EQ(list().rows()[0].name, QStringLiteral("Side B"));
    // A new editor ends the open one, keeping its text.
    doubleClick(QPoint(60, 8));
    ASSERT_NE(list().editor(), nullptr);
    list().editor()->setText(QStringLiteral("First"));
    list().mouseDown(QPoint(160, 8), Qt::LeftButton, {}, true);
    EXPECT_EQ(project.displayName(0), "First");
    EXPECT_EQ(list().editKind(), AETrackListDisplay::kEditArtist);
    EXPECT_EQ(app_->inPlaceEditor(), dynamic_cast<AEInPlaceEditor*>(list().editor()));
}

TEST_F(TrackListTest, CtrlRightClickSwitchesEveryTitle) {
    AEProject& project = titles(3);
    // Title 1 is processed into a file of 400 000 frames; title 2's processed file is gone.
    const std::string processed = dir_.file("44100-2-16-processed.p.wav");
    ProjectTest::writeWave(processed, 400000);
    project.title(1)->setProcessedPath(processed);
    project.title(1)->setStateCode(AETitleProcessState::kProcessed);
    const std::string lost = dir_.file("missing.p.wav");
    project.title(2)->setProcessedPath(lost);
    project.title(2)->setStateCode(AETitleProcessState::kProcessed);
    const std::string base2 = project.audioBase(2);
    QSignalSpy changed(&list(), &AETrackListDisplay::titlesChanged);

    rightClick(QPoint(60, 40), Qt::ControlModifier);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(project.currentTitle(), 0);
    EXPECT_EQ(project.stateCode(0), AETitleProcessState::kProcessed);
    // The processed file became title 1's recording, with 20 ms fades at both ends.
    EXPECT_EQ(project.stateCode(1), AETitleProcessState::kNotProcessed);
    EXPECT_EQ(project.audioBase(1), processed.substr(0, processed.size() - 4));
    EXPECT_EQ(project.fadePoint(1, 0), 0);
    EXPECT_EQ(project.fadePoint(1, 1), 882);
    EXPECT_EQ(project.fadePoint(1, 2), 400000 - 882);
    EXPECT_EQ(project.fadePoint(1, 3), 400000);
    EXPECT_EQ(project.currentAudioPath(1), processed);
    // A processed file that cannot be read leaves the title as it was.
    EXPECT_EQ(project.stateCode(2), AETitleProcessState::kProcessed);
    EXPECT_EQ(project.audioBase(2), base2);
}

// A real drop event on the list: the files are checked on a worker, the good ones added,
// one message for all the refused ones (which are refused: AEWaveImportTest).
TEST_F(TrackListTest, DroppedFilesAreCheckedAndTheGoodOnesAdded) {
    AEProject& project = titles(1);
    const std::string stereo = writeSine(dir_.file("44100-2-16-8s.wav"), 2, 44100, kEightSeconds);
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(stereo)),
                  QUrl::fromLocalFile(QString::fromStdString(dir_.file("missing.wav")))});
    QSignalSpy started(&list(), &AETrackListDisplay::importStarted);
    QDragEnterEvent enter(QPoint(40, 40), Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(&list(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(40, 40), Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(&list(), &drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_EQ(started.count(), 1);
    list().waitForAdding();
    EXPECT_EQ(list().addReport().added, 1);
    EXPECT_FALSE(importList_.adding);
    deliver();
    ASSERT_EQ(dialogs_.alerts.size(), 1u);
    EXPECT_EQ(dialogs_.alerts[0].find("44100-2-16-8s.wav"), std::string::npos);
    list().operationEnded();
    ASSERT_EQ(project.titleCount(), 2);
    EXPECT_EQ(project.sourcePath(1), stereo);
    EXPECT_EQ(list().rows()[1].name, QStringLiteral("44100-2-16-8s"));
    EXPECT_FALSE(app_->isBusy());
}

// While the program is busy or still adding dropped files, neither a click nor a drop
// changes the project; a drop of only bad files adds nothing; without titles a click finds no row,
// without a project a drop is refused.
TEST_F(TrackListTest, ClicksAndDropsAreRefusedWhileBusyOrAdding) {
    const std::string good = writeSine(dir_.file("44100-2-16-8s.wav"), 2, 44100, kEightSeconds);
    EXPECT_FALSE(list().acceptsDrop());
    EXPECT_FALSE(list().dropFiles({good}));
    const std::function<void(bool)> states[] = {[this](bool on) { app_->setBusy(on); },
                                                [this](bool on) { importList_.adding = on; }};
    AEProject& project = titles(3);
    EXPECT_TRUE(list().acceptsDrop());
    for (size_t state = 0; state < std::size(states); ++state) {
        states[state](true);
        QTest::mouseClick(&list(), Qt::LeftButton, {}, QPoint(60, 40));
        EXPECT_EQ(project.currentTitle(), 0) << state;
        EXPECT_FALSE(list().acceptsDrop()) << state;
        EXPECT_FALSE(list().dropFiles({good})) << state;
        states[state](false);
    }
    deliver();
    EXPECT_TRUE(dialogs_.alerts.empty());
    // A drop of only bad files adds nothing and says why.
    EXPECT_FALSE(
        list().dropFiles({writeSine(dir_.file("44100-2-16-6s.wav"), 2, 44100, 6 * 44100)}));
    EXPECT_FALSE(importList_.adding);
    EXPECT_FALSE(app_->isBusy());
    deliver();
    EXPECT_EQ(dialogs_.alerts.size(), 1u);
    EXPECT_EQ(project.titleCount(), 3);
    titles(0);
    QTest::mouseClick(&list(), Qt::LeftButton, {}, QPoint(60, 40));
    EXPECT_EQ(list().rowAt(40), -1);
}
