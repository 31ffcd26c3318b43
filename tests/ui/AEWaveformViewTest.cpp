// The waveform view: drawing from peaks (rendered and checked pixel by pixel), zoom,
// the visible range, clicks, Ctrl-clicks and dragging the fade handles, and peaks built
// on a worker thread.
#include "AEWaveformView.h"

#include "AEAudioEngine.h"
#include "AEMainView.h"
#include "AEMainWindow.h"
#include "AETrackListDisplay.h"
#include "FClassRegistry.h"
#include "ListWaveformTestSupport.h"
#include "WindowHarness.h"

#include <QPushButton>
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

// A dragged point takes its neighbour along; the points stay in order and inside the title.
TEST(WaveformMathTest, DraggedPointsStayInOrderInsideTheTitle) {
    const Points start{44100, 88200, 132300, 176400};
    const struct {
        int k;
        int32_t to;
        Points expected;
    } rows[] = {{0, -5000, {0, 44100, 132300, 176400}},
                {0, 200000, {88200, 132300, 132300, 176400}},
                {3, 900000, {44100, 88200, 255900, 300000}},
                {1, 10, {44100, 44100, 132300, 176400}}};
    for (const auto& row : rows) {
        EXPECT_EQ(WaveformMath::drag(start, row.k, row.to, 300000), row.expected) << row.to;
    }
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
    // Each handle is drawn beside its point's column, and the fade-in line between them.
    for (int k = 0; k < 4; ++k) {
        const QRect handle = view().handleRect(k);
        EXPECT_TRUE(handle.left() == t.fadePoint(k) / 256 ||
                    handle.right() + 1 == t.fadePoint(k) / 256)
            << k;
        EXPECT_GT(count(image, AEWaveformView::kFade, handle), 0) << k;
    }
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
    EXPECT_EQ(t.fadePoint(1), -1);
    EXPECT_EQ(app_->engine().rangeStart(), -1);
    EXPECT_EQ(app_->engine().rangeEnd(), -1);
    // A Ctrl-click does not set them either.
    QTest::mouseClick(&view(), Qt::LeftButton, Qt::ControlModifier, QPoint(50, 40));
    EXPECT_EQ(t.fadePoint(0), -1);
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
    EXPECT_EQ(count(image, AEWaveformView::kWaveform, QRect(0, 6, 400, 1)), 1) << "the loud one";
    EXPECT_TRUE(same(image.pixel(200, 6), AEWaveformView::kWaveform));
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
    // A stored zoom outside the series is not taken: the title is fitted instead.
    t.setZoom(1000);
    AEWaveformView other(*app_);
    other.resize(400, 100);
    other.refresh();
    EXPECT_TRUE(other.fitted());
    EXPECT_EQ(other.zoom(), 640);
}

// Zoom stops at both ends of its series and is stored with the title; the visible range
// stays valid.
TEST_F(WaveformTest, ZoomStopsAtBothEndsAndKeepsTheVisibleRangeValid) {
    AETitle& t = titleWithPeaks(100000 * 256, quiet(100000), 512);
    view().zoomIn();
    view().zoomIn();
    EXPECT_EQ(view().zoom(), 256);
    EXPECT_EQ(t.zoom(), 256);
    // Scrolled to the end at the narrowest zoom, then zoomed out step by step: the view
    // never starts beyond what the title can fill.
    view().scrollTo(int64_t{100000} * 256);
    EXPECT_EQ(view().viewStart(), (100000 - 400) * 256);
    for (int i = 0; i < 12; ++i) {
        view().zoomOut();
        EXPECT_GE(view().viewStart(), 0);
        EXPECT_EQ(view().viewStart() % 256, 0);
        EXPECT_LE(int64_t{view().viewStart()},
                  std::max<int64_t>(0, int64_t{100000} * 256 - view().viewFrames()));
    }
    view().zoomOut();
    EXPECT_EQ(view().zoom(), 524288);
    EXPECT_EQ(t.zoom(), 524288);
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
    const Points visible{100000, 100882, 299118, 300000};
    EXPECT_EQ(view().points(), visible);
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(t.fadePoint(k), visible[static_cast<size_t>(k)]);
    }
    EXPECT_EQ(app_->engine().rangeStart(), 100000);
    EXPECT_EQ(app_->engine().rangeEnd(), 300000);
    EXPECT_EQ(t.zoom(), 1024);
    EXPECT_GE(changed.count(), 1);
}

TEST_F(WaveformTest, DraggingTheStartHandleMovesTheFadeInEndWithIt) {
    AETitle& t = titleWithPeaks(1000 * 256, quiet(1000));
    setPoints(t, {44100, 88200, 132300, 176400});
    // Presses on handle `k`, moves `columns` on and releases.
    const auto drag = [this](int k, int columns) {
        const QPoint grab = view().handleRect(k).center();
        const QPoint to = grab + QPoint(columns, 0);
        QTest::mousePress(&view(), Qt::LeftButton, {}, grab);
        QMouseEvent move(QEvent::MouseMove, QPointF(to), QPointF(view().mapToGlobal(to)),
                         Qt::NoButton, Qt::LeftButton, {});
        QApplication::sendEvent(&view(), &move);
        QTest::mouseRelease(&view(), Qt::LeftButton, {}, to);
    };
    // Four columns at 256 frames each: 1 024 frames on; the title and the engine follow.
    drag(0, 4);
    EXPECT_EQ(view().points(), (Points{45124, 89224, 132300, 176400}));
    EXPECT_EQ(t.fadePoint(0), 45124);
    EXPECT_EQ(t.fadePoint(1), 89224);
    EXPECT_EQ(app_->engine().rangeStart(), 45124);
    // Dragging the end takes the fade-out start along.
    drag(3, -10);
    EXPECT_EQ(view().points(), (Points{45124, 89224, 132300 - 2560, 176400 - 2560}));
    EXPECT_EQ(app_->engine().rangeEnd(), 176400 - 2560);
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

TEST_F(WaveformTest, NoTitleDrawsOnlyTheBackground) {
    view().refresh();
    EXPECT_EQ(count(render(view()), AEWaveformView::kBackground), 400 * 100);
}

// The main window with a project of three titles: the list shows them, the waveform the
// current one fitted to its width with its points; the zoom buttons, F and the menu reach
// the view, and a click on a row shows that title.
class ListWaveformWindowTest : public WindowTest {};

TEST_F(ListWaveformWindowTest, ShowsTitlesAndTheCurrentWaveform) {
    AEProject& project = projectOf(3, 142 * 44100);
    project.title(0)->setLength(185 * 44100);
    for (int i = 0; i < 3; ++i) {
        const AETitle& t = *project.title(i);
        writePeaks(t.currentAudioPath(),
                   std::vector<PeakRecord>(t.length() / 256, {-60, 60, -50, 50}));
    }
    ASSERT_TRUE(project.select(1));
    window_->refreshMainView(true);
    window_->show();
    QApplication::processEvents();
    AEWaveformView& wave = window_->waveform();
    EXPECT_TRUE(window_->trackList().rows()[1].selected);
    EXPECT_EQ(wave.titleLength(), 142 * 44100);
    EXPECT_TRUE(wave.fitted());
    const int32_t fit = wave.zoom();
    EXPECT_EQ(wave.points()[2], 142 * 44100 - 882);
    window_->control(AEMainView::kZoomIn, 1);
    EXPECT_LT(wave.zoom(), fit);
    EXPECT_EQ(project.title(1)->zoom(), wave.zoom());
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

// --- Proposed split points ------------------------------------------------------------

namespace {

// Column `x` is drawn in the split mark colour from top to bottom.
bool markedColumn(const QImage& image, int x) {
    return count(image, AEWaveformView::kSplitMark, QRect(x, 0, 1, image.height())) ==
           image.height();
}

} // namespace

// Columns 30 and 60 (a frame inside the column counts); before the view and past its
// width nothing is drawn. (Marks cleared: SplitMarksTest.)
TEST_F(WaveformTest, SplitMarksAreDrawnAtTheirColumns) {
    AETitle& t = titleWithPeaks(2000 * 256, quiet(2000));
    setPoints(t, {-1, -1, -1, -1});
    view().setSplitMarks({30 * 256, 60 * 256 + 100, 500 * 256, -5});
    const QImage image = render(view());
    EXPECT_TRUE(markedColumn(image, 30));
    EXPECT_TRUE(markedColumn(image, 60));
    EXPECT_EQ(count(image, AEWaveformView::kSplitMark), 2 * image.height());
    EXPECT_TRUE(same(image.pixel(31, 22), AEWaveformView::kWaveform)) << "beside a mark";
}
