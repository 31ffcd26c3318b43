// The waveform view: drawing from peaks (rendered and checked pixel by pixel), zoom,
// the visible range, clicks, Ctrl-clicks and dragging the fade handles, and peaks built
// on a worker thread.
#include "AEWaveformView.h"

#include "AEAudioEngine.h"
#include "AEMainView.h"
#include "AEMainWindow.h"
#include "AETrackListDisplay.h"
#include "AEWaveformPanel.h"
#include "FClassRegistry.h"
#include "ListWaveformTestSupport.h"
#include "WindowHarness.h"

#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include <cmath>
#include <filesystem>

namespace {

using namespace ListWaveformTest;
using WaveformMath::Points;

class WaveformTest : public WindowTest {
protected:
    WaveformTest() : WindowTest(Start::kApp) {}
    void SetUp() override {
        WindowTest::SetUp();
        view_ = std::make_unique<AEWaveformView>(*app_);
        view_->resize(400, 100);
    }
    void TearDown() override {
        view_.reset();
        WindowTest::TearDown();
    }
    AEWaveformView& view() { return *view_; }
    // One title of `frames` frames whose peak file holds `records`, shown at `zoom`.
    AETitle& titleWithPeaks(int32_t frames, const std::vector<PeakRecord>& records,
                            int32_t zoom = 256) {
        AEProject& project = projectOf(1, frames);
        AETitle& t = *project.title(0);
        t.setZoom(zoom);
        writePeaks(t.currentAudioPath(), records);
        view_->refresh();
        EXPECT_EQ(view_->peaks().state(), AEWaveformPeaks::State::kReady);
        return t;
    }
    // `n` records of a quiet signal.
    static std::vector<PeakRecord> quiet(int n) {
        return std::vector<PeakRecord>(static_cast<size_t>(n), PeakRecord{-8, 8, -8, 8});
    }
    void setPoints(AETitle& t, Points p) {
        for (int k = 0; k < 4; ++k) {
            t.setFadePoint(k, p[static_cast<size_t>(k)]);
        }
        view_->refresh();
    }
    std::unique_ptr<AEWaveformView> view_;
};

} // namespace

TEST(WaveformMathTest, ZoomStaysInItsSeries) {
    EXPECT_EQ(WaveformMath::zoomIn(256), 256);
    EXPECT_EQ(WaveformMath::zoomIn(512), 256);
    EXPECT_EQ(WaveformMath::zoomOut(524288), 524288);
    EXPECT_EQ(WaveformMath::zoomOut(262144), 524288);
    EXPECT_EQ(WaveformMath::zoomIn(32768), 16384);
    EXPECT_EQ(WaveformMath::zoomOut(32768), 65536);
    // A fitted zoom between two of the series goes to the nearer one that way; one
    // outside the series to the end the user moves towards.
    EXPECT_EQ(WaveformMath::zoomIn(1000), 512);
    EXPECT_EQ(WaveformMath::zoomOut(1000), 1024);
    EXPECT_EQ(WaveformMath::zoomIn(300000), 262144);
    EXPECT_EQ(WaveformMath::zoomOut(300000), 524288);
    EXPECT_EQ(WaveformMath::zoomIn(0), 256);
    EXPECT_EQ(WaveformMath::zoomOut(0), 256);
    EXPECT_EQ(WaveformMath::zoomIn(1048576), 524288);
    EXPECT_EQ(WaveformMath::zoomOut(1048576), 524288);
}

TEST(WaveformMathTest, FitZoomTakesTheWholeTitleAcrossTheColumns) {
    // 9 s over 700 columns: 567 frames a column, 700 columns used.
    EXPECT_EQ(WaveformMath::fitZoom(9 * 44100, 700), 567);
    EXPECT_EQ(WaveformMath::fitZoom(256000, 400), 640);
    EXPECT_EQ(WaveformMath::fitZoom(256001, 400), 641);
    // Within the series' ends; nothing to fit gives the default.
    EXPECT_EQ(WaveformMath::fitZoom(1000, 400), 256);
    EXPECT_EQ(WaveformMath::fitZoom(int64_t{80} * 60 * 44100 * 10, 100), 524288);
    EXPECT_EQ(WaveformMath::fitZoom(0, 400), WaveformMath::kDefaultZoom);
    EXPECT_EQ(WaveformMath::fitZoom(256000, 0), WaveformMath::kDefaultZoom);
}

TEST(WaveformMathTest, VisibleRangeGivesTheCtrlClickPoints) {
    EXPECT_EQ(WaveformMath::visibleRange(100000, 500000, 300000),
              (Points{100000, 100882, 299118, 300000}));
    EXPECT_EQ(WaveformMath::visibleRange(0, 200000, 300000), (Points{0, 882, 199118, 200000}));
}

TEST(WaveformMathTest, DraggingTheStartTakesTheFadeInEndAlong) {
    const Points start{44100, 88200, 132300, 176400};
    EXPECT_EQ(WaveformMath::drag(start, 0, 45100, 300000), (Points{45100, 89200, 132300, 176400}));
    EXPECT_EQ(WaveformMath::drag(start, 3, 175400, 300000), (Points{44100, 88200, 131300, 175400}));
    EXPECT_EQ(WaveformMath::drag(start, 1, 90000, 300000), (Points{44100, 90000, 132300, 176400}));
    EXPECT_EQ(WaveformMath::drag(start, 2, 130000, 300000), (Points{44100, 88200, 130000, 176400}));
    // Points stay in order and inside the title.
    EXPECT_EQ(WaveformMath::drag(start, 0, -5000, 300000), (Points{0, 44100, 132300, 176400}));
    EXPECT_EQ(WaveformMath::drag(start, 0, 200000, 300000),
              (Points{88200, 132300, 132300, 176400}));
    EXPECT_EQ(WaveformMath::drag(start, 3, 900000, 300000), (Points{44100, 88200, 255900, 300000}));
    EXPECT_EQ(WaveformMath::drag(start, 1, 10, 300000), (Points{44100, 44100, 132300, 176400}));
}

TEST(WaveformMathTest, ViewStartStaysInsideTheTitle) {
    EXPECT_EQ(WaveformMath::validViewStart(-500, 1000, 100000), 0);
    EXPECT_EQ(WaveformMath::validViewStart(1000000, 10240, 100000), (100000 - 10240) / 256 * 256);
    EXPECT_EQ(WaveformMath::validViewStart(5000, 200000, 100000), 0);
    EXPECT_EQ(WaveformMath::validViewStart(5000, 1000, 100000), 4864);
}

// One loud record among quiet ones, at a zoom of one record a column and of four: the
// column over it (and only that one) reaches near the top of each channel's half, the
// left channel's lobe from its own bytes, the right one's from its own; the data's end is
// marked.
TEST_F(WaveformTest, EachColumnShowsTheLoudestRecordUnderItInEachChannel) {
    const struct {
        int32_t records, zoom, loud, column;
        PeakRecord peak;
    } rows[] = {{110, 256, 103, 103, {-128, 127, -64, 64}},
                {4096, 1024, 406, 101, {-64, 64, -128, 127}}};
    for (const auto& row : rows) {
        view_ = std::make_unique<AEWaveformView>(*app_); // a view that has shown no title
        view_->resize(400, 100);
        std::vector<PeakRecord> records = quiet(row.records);
        records[static_cast<size_t>(row.loud)] = row.peak;
        AETitle& t = titleWithPeaks(row.records * 256, records, row.zoom);
        setPoints(t, {-1, -1, -1, -1});
        const QImage image = render(view());
        // Drawn rows of a column in the left (0..43) and right (44..87) half.
        const auto drawn = [&](int x, int top) {
            return 44 - count(image, AEWaveformView::kBackground, QRect(x, top, 1, 44));
        };
        const bool leftLoud = row.peak[0] == -128;
        EXPECT_GE(drawn(row.column, 0), leftLoud ? 30 : 14) << row.zoom;
        EXPECT_GE(drawn(row.column, 44), leftLoud ? 14 : 30) << row.zoom;
        EXPECT_LT(drawn(row.column, leftLoud ? 44 : 0), 20) << row.zoom;
        for (int x : {row.column - 1, row.column + 1}) {
            EXPECT_LE(drawn(x, 0), 6) << row.zoom << " column " << x;
            EXPECT_LE(drawn(x, 44), 6) << row.zoom << " column " << x;
        }
        if (row.zoom == 256) {
            EXPECT_EQ(view().endColumn(), 110);
            EXPECT_TRUE(same(image.pixel(110, 45), AEWaveformView::kEnd));
            EXPECT_TRUE(same(image.pixel(111, 45), AEWaveformView::kBackground));
        }
    }
}

TEST_F(WaveformTest, SelectionColoursAndHandlesFollowThePoints) {
    AETitle& t = titleWithPeaks(1000 * 256, quiet(1000));
    setPoints(t, {100 * 256, 120 * 256, 280 * 256, 300 * 256});
    const QImage image = render(view());
    // Columns 100..300 in the selection colour, the others in the normal one.
    EXPECT_TRUE(same(image.pixel(99, 22), AEWaveformView::kWaveform));
    EXPECT_TRUE(same(image.pixel(150, 22), AEWaveformView::kSelection));
    EXPECT_TRUE(same(image.pixel(300, 66), AEWaveformView::kSelection));
    EXPECT_TRUE(same(image.pixel(301, 66), AEWaveformView::kWaveform));
    // Handles of 12 × 12: start at the bottom right of its line end, fade-in end at the
    // top right, fade-out start at the top left, end at the bottom left.
    EXPECT_EQ(view().handleRect(0), QRect(100, 88, 12, 12));
    EXPECT_EQ(view().handleRect(1), QRect(120, 0, 12, 12));
    EXPECT_EQ(view().handleRect(2), QRect(268, 0, 12, 12));
    EXPECT_EQ(view().handleRect(3), QRect(288, 88, 12, 12));
    EXPECT_TRUE(same(image.pixel(101, 89), AEWaveformView::kFade));
    EXPECT_TRUE(same(image.pixel(131, 1), AEWaveformView::kFade));
    EXPECT_TRUE(same(image.pixel(268, 1), AEWaveformView::kFade));
    EXPECT_TRUE(same(image.pixel(299, 99), AEWaveformView::kFade));
    // The fade-in line climbs from (100, 99) to (120, 1).
    EXPECT_TRUE(same(image.pixel(110, 50), AEWaveformView::kFade) ||
                same(image.pixel(111, 50), AEWaveformView::kFade));
    EXPECT_GT(count(image, AEWaveformView::kFade, QRect(112, 12, 8, 76)), 0);
}

TEST_F(WaveformTest, NothingOfThePointsIsDrawnWhileOneIsUnset) {
    AETitle& t = titleWithPeaks(1000 * 256, quiet(1000));
    setPoints(t, {100 * 256, -1, 280 * 256, 300 * 256});
    EXPECT_TRUE(view().markersUnset());
    const QImage image = render(view());
    EXPECT_EQ(count(image, AEWaveformView::kFade), 0);
    EXPECT_EQ(count(image, AEWaveformView::kSelection), 0);
    EXPECT_GT(count(image, AEWaveformView::kWaveform), 0);
    // A click clears all four, in the title and in the engine.
    QTest::mouseClick(&view(), Qt::LeftButton, {}, QPoint(50, 40));
    EXPECT_EQ(view().points(), (Points{-1, -1, -1, -1}));
    // The click still places the transport where it was made.
    EXPECT_EQ(app_->engine().position(), 50 * 256);
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(t.fadePoint(k), -1);
    }
    EXPECT_EQ(app_->engine().rangeStart(), -1);
    EXPECT_EQ(app_->engine().rangeEnd(), -1);
    // A Ctrl-click does not set them either.
    QTest::mouseClick(&view(), Qt::LeftButton, Qt::ControlModifier, QPoint(50, 40));
    EXPECT_EQ(t.fadePoint(0), -1);
}

TEST_F(WaveformTest, ZoomStopsAtBothEndsAndIsStoredWithTheTitle) {
    AETitle& t = titleWithPeaks(4000 * 256, quiet(4000), 512);
    view().zoomIn();
    EXPECT_EQ(view().zoom(), 256);
    view().zoomIn();
    EXPECT_EQ(view().zoom(), 256);
    EXPECT_EQ(t.zoom(), 256);
    for (int i = 0; i < 20; ++i) {
        view().zoomOut();
    }
    EXPECT_EQ(view().zoom(), 524288);
    EXPECT_EQ(t.zoom(), 524288);
    // A stored zoom outside the series is not taken: the title is fitted instead.
    t.setZoom(1000);
    AEWaveformView other(*app_);
    other.resize(400, 100);
    other.refresh();
    EXPECT_TRUE(other.fitted());
    EXPECT_EQ(other.zoom(), 4000 * 256 / 400);
}

TEST_F(WaveformTest, ATitleShownTheFirstTimeFitsTheViewUntilTheUserZooms) {
    // 1000 records at 400 columns: 640 frames (two and a half records) a column. One loud
    // record at 500 lies in column 200 alone.
    std::vector<PeakRecord> records = quiet(1000);
    records[500] = {-128, 127, -128, 127};
    AETitle& t = titleWithPeaks(1000 * 256, records, AETitle::kDefaultZoom);
    setPoints(t, {-1, -1, -1, -1});
    EXPECT_TRUE(view().fitted());
    EXPECT_EQ(view().zoom(), 640);
    QImage image = render(view());
    // The whole title across the width: no end line, the last column drawn.
    EXPECT_EQ(view().endColumn(), -1);
    EXPECT_TRUE(same(image.pixel(399, 22), AEWaveformView::kWaveform));
    EXPECT_TRUE(same(image.pixel(200, 6), AEWaveformView::kWaveform));
    EXPECT_TRUE(same(image.pixel(199, 6), AEWaveformView::kBackground));
    EXPECT_TRUE(same(image.pixel(201, 6), AEWaveformView::kBackground));
    // A click keeps the title marked as never zoomed; the view follows a new width.
    QTest::mouseClick(&view(), Qt::LeftButton, {}, QPoint(50, 40));
    EXPECT_EQ(t.zoom(), AETitle::kDefaultZoom);
    view().resize(200, 100);
    render(view()); // a hidden widget gets its resize event when drawn
    EXPECT_EQ(view().zoom(), 1280);
    view().resize(400, 100);
    render(view());
    ASSERT_EQ(view().zoom(), 640);

    // + and − step from the fit into the series and are stored with the title.
    view().zoomIn();
    EXPECT_FALSE(view().fitted());
    EXPECT_EQ(view().zoom(), 512);
    EXPECT_EQ(t.zoom(), 512);
    view().zoomOut();
    EXPECT_EQ(view().zoom(), 1024);
    // Shown again later, the chosen zoom is kept.
    AEWaveformView again(*app_);
    again.resize(400, 100);
    again.refresh();
    EXPECT_FALSE(again.fitted());
    EXPECT_EQ(again.zoom(), 1024);
    // Fit goes back to the whole title and marks it so again.
    view().scrollTo(300 * 256);
    view().fit();
    EXPECT_TRUE(view().fitted());
    EXPECT_EQ(view().zoom(), 640);
    EXPECT_EQ(view().viewStart(), 0);
    EXPECT_EQ(t.zoom(), AETitle::kDefaultZoom);
}

TEST_F(WaveformTest, ZoomKeepsTheVisibleRangeValid) {
    titleWithPeaks(100000 * 256, quiet(100000), 256);
    // Scrolled to the end at the narrowest zoom, then zoomed out step by step: the view
    // never starts beyond what the title can fill.
    view().scrollTo(int64_t{100000} * 256);
    EXPECT_EQ(view().viewStart(), (100000 - 400) * 256);
    EXPECT_EQ(view().viewEnd(), 100000 * 256);
    for (int i = 0; i < 12; ++i) {
        view().zoomOut();
        EXPECT_GE(view().viewStart(), 0);
        EXPECT_EQ(view().viewStart() % 256, 0);
        EXPECT_LE(int64_t{view().viewStart()},
                  std::max<int64_t>(0, int64_t{100000} * 256 - view().viewFrames()));
        EXPECT_EQ(view().viewEnd(), view().viewStart() + view().viewFrames());
    }
    // Zooming in keeps the middle of the view in the middle.
    view().scrollTo(0);
    while (view().zoom() > 4096) {
        view().zoomIn();
    }
    view().scrollTo(40000 * 256);
    const int64_t middle = view().viewStart() + view().viewFrames() / 2;
    view().zoomIn();
    EXPECT_NEAR(static_cast<double>(view().viewStart() + view().viewFrames() / 2),
                static_cast<double>(middle), 256.0);
}

TEST_F(WaveformTest, CtrlClickSetsThePointsToTheVisiblePart) {
    AETitle& t = titleWithPeaks(300000, quiet(300000 / 256), 1024);
    view().setVisibleRange(100000, 500000);
    QSignalSpy changed(&view(), &AEWaveformView::pointsChanged);
    app_->setBusy(true); // ignored while busy
    QTest::mouseClick(&view(), Qt::LeftButton, Qt::ControlModifier, QPoint(20, 40));
    EXPECT_EQ(t.fadePoint(1), 882);
    app_->setBusy(false);
    QTest::mouseClick(&view(), Qt::LeftButton, Qt::ControlModifier, QPoint(20, 40));
    EXPECT_EQ(view().points(), (Points{100000, 100882, 299118, 300000}));
    EXPECT_EQ(t.fadePoint(0), 100000);
    EXPECT_EQ(t.fadePoint(1), 100882);
    EXPECT_EQ(t.fadePoint(2), 299118);
    EXPECT_EQ(t.fadePoint(3), 300000);
    EXPECT_EQ(app_->engine().rangeStart(), 100000);
    EXPECT_EQ(app_->engine().rangeEnd(), 300000);
    EXPECT_EQ(t.zoom(), 1024);
    EXPECT_GE(changed.count(), 1);
}

TEST_F(WaveformTest, DraggingTheStartHandleMovesTheFadeInEndWithIt) {
    AETitle& t = titleWithPeaks(1000 * 256, quiet(1000));
    setPoints(t, {44100, 88200, 132300, 176400});
    const QPoint grab = view().handleRect(0).center();
    QTest::mousePress(&view(), Qt::LeftButton, {}, grab);
    // Four columns at 256 frames each: 1 024 frames on.
    QMouseEvent move(QEvent::MouseMove, QPointF(grab + QPoint(4, 0)),
                     QPointF(view().mapToGlobal(grab + QPoint(4, 0))), Qt::NoButton, Qt::LeftButton,
                     {});
    QApplication::sendEvent(&view(), &move);
    EXPECT_EQ(view().points(), (Points{45124, 89224, 132300, 176400}));
    // Each move reaches the title and the engine at once.
    EXPECT_EQ(t.fadePoint(0), 45124);
    EXPECT_EQ(t.fadePoint(1), 89224);
    EXPECT_EQ(app_->engine().rangeStart(), 45124);
    QTest::mouseRelease(&view(), Qt::LeftButton, {}, grab + QPoint(4, 0));
    EXPECT_EQ(t.fadePoint(0), 45124);
    // Dragging the end takes the fade-out start along.
    const QPoint end = view().handleRect(3).center();
    QTest::mousePress(&view(), Qt::LeftButton, {}, end);
    QMouseEvent back(QEvent::MouseMove, QPointF(end - QPoint(10, 0)),
                     QPointF(view().mapToGlobal(end - QPoint(10, 0))), Qt::NoButton, Qt::LeftButton,
                     {});
    QApplication::sendEvent(&view(), &back);
    QTest::mouseRelease(&view(), Qt::LeftButton, {}, end - QPoint(10, 0));
    EXPECT_EQ(view().points(), (Points{45124, 89224, 132300 - 2560, 176400 - 2560}));
    EXPECT_EQ(app_->engine().rangeEnd(), 176400 - 2560);
}

TEST_F(WaveformTest, ClickSetsThePositionAndTheCursorShowsIt) {
    titleWithPeaks(300 * 256, quiet(300));
    QTest::mouseClick(&view(), Qt::LeftButton, {}, QPoint(100, 40));
    // The transport starts there; the cursor allows for what the device holds.
    EXPECT_EQ(app_->engine().position(), 100 * 256);
    const int32_t buffered = app_->device().totalBufferedFrames(true);
    EXPECT_EQ(view().storedPosition(), 100 * 256 + buffered);
    const int32_t column = (100 * 256 + buffered) / 256 - buffered / 256;
    EXPECT_EQ(view().currentCursorColumn(), column);
    const QImage image = render(view());
    EXPECT_EQ(view().cursorColumn(), column);
    EXPECT_TRUE(same(image.pixel(column, 45), AEWaveformView::kCursor));
    // A click beyond the end of the title does nothing.
    QTest::mouseClick(&view(), Qt::LeftButton, {}, QPoint(399, 40));
    EXPECT_EQ(app_->engine().position(), 100 * 256);
}

TEST_F(WaveformTest, PeaksAreBuiltOnAWorkerAndDrawingNeverReadsAudio) {
    AEProject& project = projectOf(1, 20 * 44100);
    AETitle& t = *project.title(0);
    ProjectTest::writeWave(t.currentAudioPath(), 20 * 44100);
    t.setZoom(4096);
    view().refresh();
    EXPECT_EQ(view().peaks().state(), AEWaveformPeaks::State::kBuilding);
    // Until the peaks are there, nothing of a waveform is drawn.
    EXPECT_EQ(count(render(view()), AEWaveformView::kSelection), 0);
    view().peaks().waitForBuild();
    EXPECT_EQ(view().peaks().state(), AEWaveformPeaks::State::kReady);
    EXPECT_TRUE(std::filesystem::exists(AEPeakData::peakPath(t.currentAudioPath())));
    // The worker asks for a refresh; without the audio the view still draws.
    std::filesystem::remove(t.currentAudioPath());
    deliver();
    view().refresh();
    const QImage image = render(view());
    EXPECT_GT(count(image, AEWaveformView::kSelection), 0);
    // Records run out at 20 s / 256 frames; 16 of them per column.
    EXPECT_EQ(view().endColumn(), (20 * 44100 / 256 + 15) / 16);
}

TEST_F(WaveformTest, PanelShowsTheVisibleRangeAndScrollsTheView) {
    projectOf(1, 100000 * 256);
    app_->project()->title(0)->setZoom(256);
    AEWaveformPanel panel(*app_);
    panel.resize(400, 120);
    EXPECT_TRUE(panel.startText().isEmpty());
    EXPECT_FALSE(panel.scrollBar().isEnabled());
    panel.view().refresh();
    EXPECT_TRUE(panel.scrollBar().isEnabled());
    panel.view().setVisibleRange(65 * 44100, 3725 * 44100);
    EXPECT_EQ(panel.startText(), QStringLiteral("0:01:05"));
    EXPECT_EQ(panel.endText(), QStringLiteral("1:02:05"));
    // The bar counts records: moving it moves the view.
    panel.scrollBar().setValue(1000);
    EXPECT_EQ(panel.view().viewStart(), 1000 * 256);
    EXPECT_EQ(panel.startText(), QStringLiteral("0:00:05"));
    EXPECT_EQ(panel.scrollBar().maximum(),
              100000 - static_cast<int>(panel.view().viewFrames() / 256));
}

TEST_F(WaveformTest, NoTitleOrBlankDrawsOnlyTheBackground) {
    view().refresh();
    const QImage empty = render(view());
    EXPECT_EQ(count(empty, AEWaveformView::kBackground), 400 * 100);
    titleWithPeaks(10 * 256, quiet(10));
    view().setBlank(true);
    EXPECT_EQ(count(render(view()), AEWaveformView::kBackground), 400 * 100);
    view().setBlank(false);
    EXPECT_LT(count(render(view()), AEWaveformView::kBackground), 400 * 100);
}

// The main window with a project of three titles: the list shows them, the waveform the
// current one fitted to its width with its fade handles; the zoom buttons, F and the menu
// reach the view, and a click on a row shows that title.
class ListWaveformWindowTest : public WindowTest {};

TEST_F(ListWaveformWindowTest, ShowsTitlesAndTheCurrentWaveform) {
    AEProject& project = projectOf(3, 142 * 44100);
    project.title(0)->setLength(185 * 44100);
    for (int i = 0; i < 3; ++i) {
        AETitle& t = *project.title(i);
        t.setFadePoint(0, 3 * 44100);
        t.setFadePoint(1, 6 * 44100);
        t.setFadePoint(2, t.length() - 8 * 44100);
        t.setFadePoint(3, t.length() - 2 * 44100);
        std::vector<PeakRecord> records(static_cast<size_t>(t.length() / 256), {-60, 60, -50, 50});
        writePeaks(t.currentAudioPath(), records);
    }
    ASSERT_TRUE(project.select(1));
    window_->refreshMainView(true);
    window_->show();
    QApplication::processEvents();
    AEWaveformView& wave = window_->waveform();
    EXPECT_EQ(window_->trackList().rows().size(), 3u);
    EXPECT_TRUE(window_->trackList().rows()[1].selected);
    EXPECT_EQ(wave.titleLength(), 142 * 44100);
    const int32_t fit = WaveformMath::fitZoom(142 * 44100, wave.width());
    EXPECT_EQ(wave.zoom(), fit);
    const QImage image = wave.grab().toImage();
    EXPECT_GT(count(image, AEWaveformView::kFade), 4 * 100) << "both fades' handles";
    EXPECT_GT(count(image, AEWaveformView::kSelection), wave.width() * 20);
    window_->control(AEMainView::kZoomIn, 1);
    EXPECT_EQ(wave.zoom(), WaveformMath::zoomIn(fit));
    EXPECT_EQ(project.title(1)->zoom(), WaveformMath::zoomIn(fit));
    window_->keyTyped(Qt::Key_F, {}, QStringLiteral("f"));
    EXPECT_EQ(wave.zoom(), fit);
    EXPECT_EQ(project.title(1)->zoom(), AETitle::kDefaultZoom);
    window_->control(AEMainView::kZoomOut, 1);
    window_->action(AEMainWindow::kFitWaveform)->trigger();
    EXPECT_EQ(wave.zoom(), fit);
    QTest::mouseClick(&window_->trackList(), Qt::LeftButton, {}, QPoint(60, 5));
    EXPECT_EQ(project.currentTitle(), 0);
    EXPECT_EQ(wave.titleLength(), 185 * 44100);
}

// The window with the start-up checks run, so the engine and the virtual sound card work,
// and an empty project.
class LiveWindowTest : public WindowTest {
protected:
    LiveWindowTest() : WindowTest(Start::kOpenWindow) {}
    void SetUp() override {
        // The card's input, read from when it opens: a sine, so recordings have a shape.
        const std::string input = dir_.file("44100-2-16-input.wav");
        writeSine(input, 2, 44100, 30 * 44100);
        setenv("GLEAM_VIRTUAL_INPUT", input.c_str(), 1);
        WindowTest::SetUp();
        ASSERT_FALSE(HasFatalFailure());
        const std::string path = dir_.file("Tapes.dat");
        app_->setProject(AEProject::createForPath(path), path);
        window_->refreshMainView(true);
        window_->show();
    }
    AEWaveformView& view() { return window_->waveform(); }
    AEAudioEngine& engine() { return app_->engine(); }
    void press(int32_t tag) { window_->view().button(tag)->click(); }
};

// Playback in real time: the cursor moves on between two screenshots of the window.
TEST_F(LiveWindowTest, CursorMovesWhilePlaying) {
    const std::string wave = dir_.file("44100-2-16-20s.wav");
    ProjectTest::writeWave(wave, 20 * 44100);
    ASSERT_TRUE(app_->fileManager().newImportFile(wave));
    ASSERT_TRUE(app_->project()->addImportedFile(wave));
    app_->project()->title(0)->setZoom(1024);
    window_->currentTitleChanged();
    QApplication::processEvents();
    ASSERT_EQ(view().zoom(), 1024);
    ASSERT_EQ(view().peaks().state(), AEWaveformPeaks::State::kReady);

    press(AEMainView::kPlay);
    ASSERT_EQ(engine().state(), AEAudioEngine::kPlaying);
    // Past the frames the card holds before the first one is heard.
    QTest::qWait(1500);
    const QImage first = window_->grab().toImage();
    const int32_t firstColumn = view().cursorColumn();
    QTest::qWait(700);
    const QImage second = window_->grab().toImage();
    const int32_t secondColumn = view().cursorColumn();
    engine().stop();
    first.save(QStringLiteral(GLEAM_SCREENSHOT_DIR "/list-waveform-playing-1.png"));
    second.save(QStringLiteral(GLEAM_SCREENSHOT_DIR "/list-waveform-playing-2.png"));
    ASSERT_GE(firstColumn, 0);
    // 0.7 s at 1 024 frames per column: about 30 columns on (a loaded machine lags).
    EXPECT_GT(secondColumn, firstColumn + 10);
    EXPECT_LT(secondColumn, firstColumn + 150);
    const QPoint origin = view().mapTo(window_.get(), QPoint(0, 0));
    EXPECT_TRUE(same(second.pixel(origin + QPoint(secondColumn, 40)), AEWaveformView::kCursor));
    EXPECT_FALSE(same(second.pixel(origin + QPoint(firstColumn, 40)), AEWaveformView::kCursor));
}

// Recording: the view draws the recording's own peaks as they grow, and the file's peaks
// once it has stopped.
TEST_F(LiveWindowTest, DrawsTheRecordingAsItGrows) {
    press(AEMainView::kRecord);
    ASSERT_EQ(engine().state(), AEAudioEngine::kRecording);
    QTest::qWait(1500);
    window_->refreshWaveform();
    ASSERT_TRUE(view().hasTitle());
    // No worker reads the growing file.
    EXPECT_EQ(view().peaks().state(), AEWaveformPeaks::State::kNone);
    EXPECT_GT(view().titleLength(), 44100 / 2);
    const QImage live = render(view());
    EXPECT_GT(count(live, AEWaveformView::kWaveform, QRect(0, 6, 20, 77)), 20);
    EXPECT_EQ(count(live, AEWaveformView::kFade), 0);
    EXPECT_EQ(count(live, AEWaveformView::kSelection), 0);
    EXPECT_GE(view().endColumn(), 1);

    // A title must last 7 seconds to be kept.
    for (int i = 0; i < 200 && engine().position() < 7 * 44100 + 4410; ++i) {
        QTest::qWait(50);
    }
    press(AEMainView::kStop);
    for (int i = 0; i < 20 && engine().state() != AEAudioEngine::kIdle; ++i) {
        QTest::qWait(50);
    }
    QTest::qWait(100);
    ASSERT_EQ(app_->project()->titleCount(), 1);
    // The finished recording's peak file is read now.
    view().refresh();
    view().peaks().waitForBuild();
    EXPECT_EQ(view().peaks().state(), AEWaveformPeaks::State::kReady);
    EXPECT_GE(view().titleLength(), 7 * 44100);
    EXPECT_GT(count(render(view()), AEWaveformView::kSelection), 100);
}

// --- Proposed split points ------------------------------------------------------------

namespace {

// Column `x` is drawn in the split mark colour from top to bottom.
bool markedColumn(const QImage& image, int x) {
    return count(image, AEWaveformView::kSplitMark, QRect(x, 0, 1, image.height())) ==
           image.height();
}

} // namespace

// Columns 30 and 60 (a frame inside the column counts); before the view and past its
// width nothing is drawn; marks follow the zoom and the scrolled range, and go when cleared.
TEST_F(WaveformTest, SplitMarksAreDrawnAtTheirColumnsUntilCleared) {
    AETitle& t = titleWithPeaks(2000 * 256, quiet(2000));
    setPoints(t, {-1, -1, -1, -1});
    view().setSplitMarks({30 * 256, 60 * 256 + 100, 500 * 256, -5});
    QImage image = render(view());
    EXPECT_TRUE(markedColumn(image, 30));
    EXPECT_TRUE(markedColumn(image, 60));
    EXPECT_EQ(count(image, AEWaveformView::kSplitMark), 2 * image.height());
    EXPECT_TRUE(same(image.pixel(31, 22), AEWaveformView::kWaveform)) << "beside a mark";
    view_ = std::make_unique<AEWaveformView>(*app_);
    view_->resize(400, 100);
    setPoints(titleWithPeaks(2000 * 256, quiet(2000), 1024), {-1, -1, -1, -1});
    view().setSplitMarks({100 * 1024, 250 * 1024});
    view().scrollTo(50 * 1024);
    ASSERT_EQ(view().viewStart(), 50 * 1024);
    image = render(view());
    EXPECT_TRUE(markedColumn(image, 50));
    EXPECT_TRUE(markedColumn(image, 200));
    EXPECT_EQ(count(image, AEWaveformView::kSplitMark), 2 * image.height());
    view().clearSplitMarks();
    EXPECT_TRUE(view().splitMarks().empty());
    EXPECT_EQ(count(render(view()), AEWaveformView::kSplitMark), 0);
}
