#include "AEMeterBar.h"

#include <QLinearGradient>
#include <QPainter>

#include <algorithm>

namespace {

constexpr int kClipMarkWidth = 10;
constexpr int kGap = 3;

} // namespace

AEMeterBar::AEMeterBar(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setMinimumHeight(10);
}

void AEMeterBar::setLevel(int level) {
    level = std::clamp(level, 0, kMaximum);
    if (level != level_) {
        level_ = level;
        update();
    }
}

void AEMeterBar::setClipped(bool clipped) {
    if (clipped != clipped_) {
        clipped_ = clipped;
        update();
    }
}

void AEMeterBar::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect bar(0, 0, width() - kClipMarkWidth - kGap, height());
    p.fillRect(bar, QColor(0x0d, 0x0f, 0x12));
    p.setPen(QColor(0x3a, 0x3f, 0x47));
    p.drawRect(bar.adjusted(0, 0, -1, -1));
    const int filled = (bar.width() - 2) * level_ / kMaximum;
    if (filled > 0) {
        QLinearGradient g(bar.topLeft(), bar.topRight());
        g.setColorAt(0.0, QColor(0x2f, 0xa8, 0x5e));
        g.setColorAt(0.7, QColor(0x3f, 0xbf, 0x6f));
        g.setColorAt(0.85, QColor(0xf0, 0xb4, 0x29));
        g.setColorAt(1.0, QColor(0xe0, 0x4a, 0x3d));
        p.fillRect(QRect(1, 1, filled, bar.height() - 2), g);
    }
    const QRect mark(width() - kClipMarkWidth, 0, kClipMarkWidth, height());
    p.fillRect(mark, clipped_ ? QColor(0xff, 0x3b, 0x30) : QColor(0x33, 0x1a, 0x1a));
    p.setPen(clipped_ ? QColor(0xff, 0x9a, 0x90) : QColor(0x4a, 0x2a, 0x2a));
    p.drawRect(mark.adjusted(0, 0, -1, -1));
}

void AEMeterBar::mousePressEvent(QMouseEvent*) {
    emit clipResetRequested();
}
