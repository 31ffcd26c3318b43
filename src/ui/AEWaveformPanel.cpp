#include "AEWaveformPanel.h"

#include "AETimeText.h"
#include "AEWaveformView.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QScrollBar>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// The bar counts peak records, so a long title still fits its int range comfortably.
constexpr int64_t kUnit = WaveformMath::kFramesPerRecord;

constexpr const char* kStyle = R"(
QLabel { color: #e8eaed; font-size: 12px; padding: 0 4px; }
QScrollBar:horizontal { background: #0d0f12; height: 12px; margin: 0; border: none; }
QScrollBar::handle:horizontal { background: #4a515c; min-width: 24px; border-radius: 4px; margin: 2px; }
QScrollBar::handle:horizontal:hover { background: #7aa7d9; }
QScrollBar::add-line:horizontal, QScrollBar::sub-line:horizontal { width: 0; }
QScrollBar::add-page:horizontal, QScrollBar::sub-page:horizontal { background: none; }
)";

} // namespace

AEWaveformPanel::AEWaveformPanel(AEApplication& app, QWidget* parent) : QWidget(parent) {
    setStyleSheet(QString::fromLatin1(kStyle));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    view_ = new AEWaveformView(app, this);
    layout->addWidget(view_, 1);
    auto* bottom = new QHBoxLayout;
    bottom->setContentsMargins(0, 0, 0, 0);
    start_ = new QLabel(this);
    end_ = new QLabel(this);
    scroll_ = new QScrollBar(Qt::Horizontal, this);
    scroll_->setFocusPolicy(Qt::NoFocus);
    bottom->addWidget(start_);
    bottom->addWidget(scroll_, 1);
    bottom->addWidget(end_);
    layout->addLayout(bottom);
    connect(view_, &AEWaveformView::rangeChanged, this, &AEWaveformPanel::follow);
    connect(scroll_, &QScrollBar::valueChanged, this, [this](int value) {
        if (!following_) {
            view_->scrollTo(int64_t{value} * kUnit);
        }
    });
    follow();
}

QString AEWaveformPanel::startText() const {
    return start_->text();
}

QString AEWaveformPanel::endText() const {
    return end_->text();
}

void AEWaveformPanel::follow() {
    following_ = true;
    const int64_t page = std::max<int64_t>(1, view_->viewFrames() / kUnit);
    const int64_t last = std::max<int64_t>(0, view_->titleLength() / kUnit - page);
    scroll_->setRange(0, static_cast<int>(last));
    scroll_->setPageStep(static_cast<int>(page));
    scroll_->setSingleStep(static_cast<int>(std::max<int64_t>(1, page / 8)));
    scroll_->setValue(static_cast<int>(view_->viewStart() / kUnit));
    // Without a title there is no range to tell of.
    const bool shown = view_->hasTitle();
    scroll_->setEnabled(shown);
    start_->setText(
        shown ? QString::fromStdString(AETimeText::hoursMinutesSeconds(view_->viewStart()))
              : QString());
    end_->setText(shown ? QString::fromStdString(AETimeText::hoursMinutesSeconds(view_->viewEnd()))
                        : QString());
    following_ = false;
}
