#include "AEWaveformView.h"

#include "AEApplication.h"
#include "AEPeakData.h"
#include "AEProject.h"
#include "PeakColumns.h"

#include "FClassRegistry.h"

#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

#include <algorithm>

namespace {

const FRegisterClass registerAEWaveformView("AEWaveformView", "UView");

constexpr int32_t kStringBuilding = 3230;
constexpr int32_t kStringWaveformTip = 3232;

using WaveformMath::Points;

} // namespace

// Calm and dark: the waveform in a cool blue, the selection brighter, the fades in amber,
// the live cursor in red, proposed split points in green.
const QColor AEWaveformView::kBackground(0x11, 0x13, 0x17);
const QColor AEWaveformView::kWaveform(0x4a, 0x6f, 0x99);
const QColor AEWaveformView::kSelection(0x8f, 0xc4, 0xff);
const QColor AEWaveformView::kFade(0xf0, 0xb4, 0x29);
const QColor AEWaveformView::kCursor(0xff, 0x4d, 0x3d);
const QColor AEWaveformView::kEnd(0x6b, 0x71, 0x7a);
const QColor AEWaveformView::kText(0xe8, 0xea, 0xed);
const QColor AEWaveformView::kSplitMark(0x4c, 0xe0, 0x7a);

AEWaveformView::AEWaveformView(AEApplication& app, QWidget* parent) : QWidget(parent), app_(app) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumHeight(kRightTop + 24);
    setToolTip(QString::fromUtf8(app_.loadString(app_.stringId(kStringWaveformTip, 0))));
    timer_ = new QTimer(this);
    connect(timer_, &QTimer::timeout, this, &AEWaveformView::onTick);
    timer_->start(kCursorMilliseconds);
}

AETitle* AEWaveformView::currentTitle() const {
    AEProject* project = app_.project();
    return project ? project->title(project->currentTitle()) : nullptr;
}

bool AEWaveformView::recording() const {
    return app_.engine().state() == AEAudioEngine::kRecording;
}

int32_t AEWaveformView::bufferedFrames() const {
    return app_.device().totalBufferedFrames(true);
}

void AEWaveformView::refresh() {
    peaks_.collect();
    const AETitle* title = currentTitle();
    if (!title) {
        shown_ = nullptr;
        peaks_.request({});
        update();
        emit rangeChanged();
        return;
    }
    const bool another = title != shown_ || title->currentAudioPath() != peaks_.path();
    shown_ = title;
    for (int k = 0; k < 4; ++k) {
        points_[static_cast<size_t>(k)] = title->fadePoint(k);
    }
    if (another) {
        // A project file keeps one zoom a title, and a new title starts at the default:
        // that value (or one outside the series, from a damaged file) means nobody zoomed
        // the title, so it is fitted. A user who zooms to exactly the default gets the fit
        // again next time, which is the price of keeping the file's zoom as it is.
        const int32_t stored = title->zoom();
        fitted_ = !WaveformMath::isZoom(stored) || stored == AETitle::kDefaultZoom;
        zoom_ = fitted_ ? WaveformMath::kDefaultZoom : stored;
        viewStart_ = 0;
    }
    if (recording() && recordingShown()) {
        // The file is being written: its peaks come from the recording, never from a
        // worker reading the growing file. They are asked for again once it stops.
        peaks_.reset();
        titleLength_ = app_.engine().position();
    } else {
        titleLength_ = title->length();
        if (titleLength_ <= 0) {
            AEProject* project = app_.project();
            titleLength_ = std::max(0, app_.fileManager().getLength(project->currentTitle()));
        }
        if (another) {
            peaks_.request(title->currentAudioPath());
        }
    }
    if (fitted_) {
        zoom_ = fittingZoom();
        viewStart_ = WaveformMath::validViewStart(viewStart_, viewFrames(), titleLength_);
    }
    viewEnd_ = static_cast<int32_t>(std::min<int64_t>(viewStart_ + viewFrames(), INT32_MAX));
    update();
    emit rangeChanged();
}

int32_t AEWaveformView::fittingZoom() const {
    // A growing recording is followed at the default zoom; it is fitted once it stops.
    if (recording() && recordingShown()) {
        return WaveformMath::kDefaultZoom;
    }
    return WaveformMath::fitZoom(titleLength_, width());
}

void AEWaveformView::storeZoom() {
    if (AETitle* title = currentTitle()) {
        title->setZoom(fitted_ ? AETitle::kDefaultZoom : zoom_);
    }
}

void AEWaveformView::setZoom(int32_t zoom) {
    // The middle of the view stays where it was.
    const int64_t middle = viewStart_ + viewFrames() / 2;
    zoom_ = zoom;
    fitted_ = false;
    scrollTo(middle - viewFrames() / 2);
    storeZoom();
}

void AEWaveformView::fit() {
    if (!shown_) {
        return;
    }
    fitted_ = true;
    zoom_ = fittingZoom();
    storeZoom();
    scrollTo(0);
}

void AEWaveformView::zoomIn() {
    setZoom(WaveformMath::zoomIn(zoom_));
}

void AEWaveformView::zoomOut() {
    setZoom(WaveformMath::zoomOut(zoom_));
}

void AEWaveformView::scrollTo(int64_t frame) {
    viewStart_ = WaveformMath::validViewStart(frame, viewFrames(), titleLength_);
    viewEnd_ = static_cast<int32_t>(std::min<int64_t>(viewStart_ + viewFrames(), INT32_MAX));
    update();
    emit rangeChanged();
}

void AEWaveformView::setVisibleRange(int32_t start, int32_t end) {
    viewStart_ = std::max(0, start);
    viewEnd_ = std::max(viewStart_, end);
    update();
    emit rangeChanged();
}

void AEWaveformView::setBlank(bool blank) {
    blank_ = blank;
    update();
}

void AEWaveformView::setSplitMarks(std::vector<int32_t> frames) {
    splitMarks_ = std::move(frames);
    update();
}

void AEWaveformView::clearSplitMarks() {
    splitMarks_.clear();
    update();
}

void AEWaveformView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // One column of extremes per pixel, made here so that drawing allocates nothing.
    columns_.assign(static_cast<size_t>(std::max(0, width())) * 4, 0);
    if (fitted_ && shown_) {
        zoom_ = fittingZoom();
    }
    scrollTo(viewStart_);
}

// --- Drawing --------------------------------------------------------------------------

void AEWaveformView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), kBackground);
    endColumn_ = -1;
    cursorColumn_ = -1;
    if (blank_ || !shown_ || !app_.project()) {
        return;
    }
    if (recording()) {
        // The recording's own peaks, as they grow; its points come when it stops.
        if (recordingShown()) {
            drawWaveform(p, gatherColumns(nullptr));
        }
        return;
    }
    const AEPeakData* peaks = peaks_.data();
    if (!peaks) {
        drawBuilding(p);
        drawSplitMarks(p);
        return;
    }
    drawWaveform(p, gatherColumns(peaks));
    if (!markersUnset()) {
        drawFades(p);
    }
    drawSplitMarks(p);
    const int32_t cursor = currentCursorColumn();
    if (cursor >= 0) {
        p.setPen(kCursor);
        p.drawLine(cursor, 0, cursor, height() - 1);
        cursorColumn_ = cursor;
    }
}

void AEWaveformView::flush(QPainter& p, int& lines) {
    if (lines > 0) {
        p.drawLines(lines_.data(), lines);
        lines = 0;
    }
}

int32_t AEWaveformView::gatherColumns(const AEPeakData* peaks) {
    const auto columns = static_cast<int32_t>(columns_.size() / 4);
    if (!peaks) {
        // A recording is shown at a zoom of the series, on record boundaries.
        const int64_t step = std::max(1, zoom_ / WaveformMath::kFramesPerRecord);
        const int64_t first = std::max(0, viewStart_) / WaveformMath::kFramesPerRecord;
        return app_.engine().recordingPeaks(first, step, columns, columns_.data());
    }
    // Records run out at the title's length, or where the peak file ends.
    const int64_t end =
        std::min<int64_t>(titleLength_ / WaveformMath::kFramesPerRecord, peaks->blockCount());
    return PeakColumns::gatherFrames(peaks->data(), end, std::max(0, viewStart_), zoom_, columns,
                                     columns_.data());
}

void AEWaveformView::drawWaveform(QPainter& p, int32_t count) {
    const bool selecting = !markersUnset() && !recording();
    const int32_t selFirst = WaveformMath::column(points_[0], viewStart_, zoom_);
    const int32_t selLast = WaveformMath::column(points_[3], viewStart_, zoom_);
    bool inSelection = false;
    p.setPen(kWaveform);
    int lines = 0;
    for (int x = 0; x < count; ++x) {
        const bool selected = selecting && x >= selFirst && x <= selLast;
        if (selected != inSelection) {
            flush(p, lines);
            inSelection = selected;
            p.setPen(selected ? kSelection : kWaveform);
        }
        const int8_t* b = columns_.data() + int64_t{x} * 4;
        lines_[static_cast<size_t>(lines++)] =
            QLine(x, (b[0] >> 3) + kLeftTop, x, (b[1] >> 3) + kLeftTop + 1);
        lines_[static_cast<size_t>(lines++)] =
            QLine(x, (b[2] >> 3) + kRightTop, x, (b[3] >> 3) + kRightTop + 1);
        if (lines >= kBatchLines) {
            flush(p, lines);
        }
    }
    flush(p, lines);
    if (count < width()) {
        endColumn_ = count;
        p.setPen(kEnd);
        p.drawLine(endColumn_, 0, endColumn_, height() - 1);
    }
}

QRect AEWaveformView::handleRect(int k) const {
    const int32_t c = WaveformMath::column(points_[static_cast<size_t>(k)], viewStart_, zoom_);
    const int bottom = height() - kHandleSize;
    switch (k) {
    case 0:
        return {c, bottom, kHandleSize, kHandleSize};
    case 1:
        return {c, 0, kHandleSize, kHandleSize};
    case 2:
        return {c - kHandleSize, 0, kHandleSize, kHandleSize};
    default:
        return {c - kHandleSize, bottom, kHandleSize, kHandleSize};
    }
}

void AEWaveformView::drawFades(QPainter& p) {
    const int bottom = height() - 1;
    auto col = [this](int k) {
        return WaveformMath::column(points_[static_cast<size_t>(k)], viewStart_, zoom_);
    };
    p.setPen(QPen(kFade, 1));
    p.drawLine(col(0), bottom, col(1), 1);
    p.drawLine(col(2), 1, col(3), bottom);
    p.setRenderHint(QPainter::Antialiasing, true);
    for (int k = 0; k < 4; ++k) {
        const QRect r = handleRect(k);
        p.fillRect(r, kFade);
        // A dark arrow says which way the fade runs: up for the fade-in, down for the
        // fade-out.
        const QPointF c = QRectF(r).center();
        const bool in = k < 2;
        const QPointF tri[3] = {c + QPointF(-3.5, in ? 2.5 : -2.5),
                                c + QPointF(3.5, in ? 2.5 : -2.5), c + QPointF(0, in ? -3 : 3)};
        p.setPen(Qt::NoPen);
        p.setBrush(kBackground);
        p.drawPolygon(tri, 3);
    }
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setBrush(Qt::NoBrush);
}

void AEWaveformView::drawBuilding(QPainter& p) {
    if (peaks_.state() != AEWaveformPeaks::State::kBuilding) {
        return;
    }
    QString text = QString::fromUtf8(app_.loadString(app_.stringId(kStringBuilding, 0)));
    const int64_t maximum = app_.progressMaximum();
    if (app_.progressActive() && maximum > 0) {
        text += QStringLiteral("  %1 %").arg(app_.progressValue() * 100 / maximum);
    }
    QFont f = font();
    f.setPixelSize(13);
    p.setFont(f);
    p.setPen(kText);
    p.drawText(rect(), Qt::AlignCenter, text);
}

void AEWaveformView::drawSplitMarks(QPainter& p) {
    if (zoom_ <= 0) {
        return;
    }
    p.setPen(kSplitMark);
    for (const int32_t frame : splitMarks_) {
        if (frame < viewStart_) {
            continue;
        }
        const int32_t x = WaveformMath::column(frame, viewStart_, zoom_);
        if (x < width()) {
            p.drawLine(x, 0, x, height() - 1);
        }
    }
}

bool AEWaveformView::recordingShown() const {
    return shown_ && app_.engine().filePath() == shown_->currentAudioPath();
}

void AEWaveformView::followRecording() {
    // The recorded end stays in view: the view moves on by three quarters of its width.
    titleLength_ = app_.engine().position();
    if (titleLength_ > viewEnd_) {
        scrollTo(int64_t{titleLength_} - viewFrames() / 4);
    }
}

int32_t AEWaveformView::currentCursorColumn() const {
    if (recording() || zoom_ <= 0) {
        return -1;
    }
    const int32_t state = app_.engine().state();
    const bool playing = state == AEAudioEngine::kPlaying || state == AEAudioEngine::kPlayingRange;
    const int32_t position = playing ? app_.engine().position() : storedPosition_;
    const int32_t column = position / zoom_ - viewStart_ / zoom_ - bufferedFrames() / zoom_;
    return column >= 0 && column < width() ? column : -1;
}

void AEWaveformView::onTick() {
    const bool nowRecording = recording();
    // Someone else moved the engine (stop, winding, the start key): the cursor follows.
    const int32_t enginePosition = app_.engine().position();
    if (!nowRecording && enginePosition != lastEnginePosition_) {
        lastEnginePosition_ = enginePosition;
        storedPosition_ = enginePosition;
    }
    if (nowRecording && recordingShown()) {
        followRecording();
        update();
    }
    if (nowRecording != wasRecording_ || currentCursorColumn() != cursorColumn_ ||
        (peaks_.state() == AEWaveformPeaks::State::kBuilding && isVisible())) {
        wasRecording_ = nowRecording;
        update();
    }
}

// --- Mouse ----------------------------------------------------------------------------

void AEWaveformView::storePoints() {
    AETitle* title = currentTitle();
    if (!title) {
        return;
    }
    for (int k = 0; k < 4; ++k) {
        title->setFadePoint(k, points_[static_cast<size_t>(k)]);
    }
    app_.engine().setRange(points_[0], points_[1], points_[2], points_[3]);
}

void AEWaveformView::mousePressEvent(QMouseEvent* event) {
    AETitle* title = currentTitle();
    if (app_.isBusy() || !title || recording() || dragHandle_ >= 0) {
        return;
    }
    const int x = event->position().toPoint().x();
    clicked_ = true;
    if ((event->modifiers() & Qt::ControlModifier) && !markersUnset()) {
        points_ = WaveformMath::visibleRange(viewStart_, viewEnd_, titleLength_);
        storePoints();
        storeZoom();
        emit pointsChanged();
        update();
        return;
    }
    if (!markersUnset()) {
        for (int k = 0; k < 4; ++k) {
            if (handleRect(k).contains(event->position().toPoint())) {
                dragHandle_ = k;
                dragX_ = x;
                dragStart_ = points_;
                return;
            }
        }
    }
    const int32_t frame = WaveformMath::frameAt(x, viewStart_, zoom_);
    if (frame >= titleLength_) {
        clicked_ = false;
        return;
    }
    if (markersUnset()) {
        points_ = {-1, -1, -1, -1};
        storePoints();
    }
    app_.engine().seek(frame);
    lastEnginePosition_ = app_.engine().position();
    storedPosition_ = std::max(0, frame + bufferedFrames());
    update();
}

void AEWaveformView::mouseMoveEvent(QMouseEvent* event) {
    if (dragHandle_ < 0 || event->buttons() == Qt::NoButton) {
        return;
    }
    const int64_t moved = int64_t{event->position().toPoint().x() - dragX_} * zoom_;
    const int64_t from = dragStart_[static_cast<size_t>(dragHandle_)];
    points_ = WaveformMath::drag(dragStart_, dragHandle_, from + moved, titleLength_);
    storePoints();
    emit pointsChanged();
    update();
}

void AEWaveformView::mouseReleaseEvent(QMouseEvent*) {
    if (!clicked_) {
        return;
    }
    clicked_ = false;
    dragHandle_ = -1;
    finishClick();
}

void AEWaveformView::finishClick() {
    AETitle* title = currentTitle();
    if (!title) {
        return;
    }
    storePoints();
    storeZoom();
    if (!markersUnset()) {
        app_.engine().setPlayStop(points_[3]);
    }
    emit pointsChanged();
    update();
}

void AEWaveformView::wheelEvent(QWheelEvent* event) {
    // A notch scrolls an eighth of the view.
    const int notches = event->angleDelta().y() / 120 + event->angleDelta().x() / 120;
    if (notches != 0) {
        scrollTo(int64_t{viewStart_} - notches * viewFrames() / 8);
    }
    event->accept();
}
