#pragma once

#include "AEWaveformPeaks.h"
#include "WaveformMath.h"

#include <QLine>
#include <QWidget>

#include <array>
#include <cstdint>
#include <vector>

class AEApplication;
class AEPeakData;
class AETitle;
class QTimer;

// The current title's waveform, drawn from its peaks: the selection between start and end
// in the selection colour, the fade lines with their handles, the end of the data, the
// play cursor and any proposed split points (the panel around it shows the times of the
// visible range). A click sets the play
// position, Ctrl-click sets the points to the visible range, the handles drag the points.
// Points and zoom are stored with the title and handed to the engine at once.
class AEWaveformView : public QWidget {
    Q_OBJECT
public:
    // Channel centres: a peak byte b is drawn from (min >> 3) + 22 to (max >> 3) + 23 on the
    // left channel and 44 pixels lower on the right one.
    static constexpr int kLeftTop = 22;
    static constexpr int kRightTop = 66;
    static constexpr int kHandleSize = 12;
    static constexpr int kCursorMilliseconds = 40;
    // Lines per batch: 400 points.
    static constexpr int kBatchLines = 200;

    static const QColor kBackground;
    static const QColor kWaveform;
    static const QColor kSelection;
    static const QColor kFade;
    static const QColor kCursor;
    static const QColor kEnd;
    static const QColor kText;
    static const QColor kSplitMark;

    explicit AEWaveformView(AEApplication& app, QWidget* parent = nullptr);

    // Shows the project's current title (or nothing): its points, zoom and peaks. A title
    // shown already keeps its visible range; built peaks are collected. A title whose
    // stored zoom is still the default (or none of the series) has never been zoomed by
    // the user: it is shown fitted (see fit). Any other stored zoom was chosen with + and
    // − and is kept.
    void refresh();
    // Halve / double the zoom (from a fitted zoom: the next one of the series), keep the
    // range valid, redraw and store the zoom with the title.
    void zoomIn();
    void zoomOut();
    // Shows the whole title across the view's width from its start, and keeps it so while
    // its length or the view's width change. The title's stored zoom goes back to the
    // default, which marks it as fitted for the next time it is shown. While the title is
    // being recorded the view uses the default zoom and follows the recording instead.
    void fit();
    bool fitted() const { return fitted_; }
    // Scrolls the view to start at `frame` (kept valid).
    void scrollTo(int64_t frame);
    // Sets the visible range as it stands (the keys and tests).
    void setVisibleRange(int32_t start, int32_t end);
    // Draw nothing but the background.
    void setBlank(bool blank);
    // Proposed split points (frames of the shown title), drawn as lines across the view
    // until cleared.
    void setSplitMarks(std::vector<int32_t> frames);
    void clearSplitMarks();
    const std::vector<int32_t>& splitMarks() const { return splitMarks_; }

    // A title is shown.
    bool hasTitle() const { return shown_ != nullptr; }
    int32_t zoom() const { return zoom_; }
    int32_t viewStart() const { return viewStart_; }
    int32_t viewEnd() const { return viewEnd_; }
    int32_t titleLength() const { return titleLength_; }
    const WaveformMath::Points& points() const { return points_; }
    bool markersUnset() const { return WaveformMath::isUnset(points_); }
    // The frames the view's width shows.
    int64_t viewFrames() const { return int64_t{width()} * zoom_; }
    // The position the cursor shows when the engine does not play.
    int32_t storedPosition() const { return storedPosition_; }
    // What the last drawing found: the column where the data ended and the cursor's
    // column (−1: none).
    int32_t endColumn() const { return endColumn_; }
    int32_t cursorColumn() const { return cursorColumn_; }
    // The column the play cursor belongs in now, −1 when it is outside the view.
    int32_t currentCursorColumn() const;
    AEWaveformPeaks& peaks() { return peaks_; }
    // The square of handle `k` (0..3) as drawn.
    QRect handleRect(int k) const;

signals:
    // The points changed: the remaining time and the time displays follow.
    void pointsChanged();
    // The visible range or the title's length changed.
    void rangeChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    AETitle* currentTitle() const;
    bool recording() const;
    int32_t bufferedFrames() const;
    void setZoom(int32_t zoom);
    // Stores the zoom with the title: the default while the view is fitted.
    void storeZoom();
    // The zoom of a fitted view for the title as it stands.
    int32_t fittingZoom() const;
    // Stores the points with the title and hands them to the engine.
    void storePoints();
    void finishClick();
    void onTick();
    // Fills the columns from `peaks`, or from the recording when null; the columns filled.
    int32_t gatherColumns(const AEPeakData* peaks);
    void drawWaveform(QPainter& p, int32_t count);
    // The title shown is the one being recorded.
    bool recordingShown() const;
    void followRecording();
    void drawFades(QPainter& p);
    void drawBuilding(QPainter& p);
    void drawSplitMarks(QPainter& p);
    void flush(QPainter& p, int& lines);

    AEApplication& app_;
    AEWaveformPeaks peaks_;
    const AETitle* shown_ = nullptr;
    int32_t zoom_ = WaveformMath::kDefaultZoom;
    bool fitted_ = false;
    int32_t titleLength_ = 0;
    WaveformMath::Points points_{44100, 88200, 132300, 176400};
    int32_t viewStart_ = 0;
    int32_t viewEnd_ = 0;
    int32_t storedPosition_ = 0;
    int32_t lastEnginePosition_ = 0;
    bool blank_ = false;
    bool wasRecording_ = false;
    int32_t endColumn_ = -1;
    int32_t cursorColumn_ = -1;
    // The drag under way: its handle (−1: none), where it began and the points then.
    int dragHandle_ = -1;
    int dragX_ = 0;
    bool clicked_ = false;
    WaveformMath::Points dragStart_{};
    std::array<QLine, kBatchLines> lines_{};
    std::vector<int8_t> columns_;
    std::vector<int32_t> splitMarks_;
    QTimer* timer_ = nullptr;
};
