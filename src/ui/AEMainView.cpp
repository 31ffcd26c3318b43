#include "AEMainView.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

namespace {

// Calm and dark; red for what is live, green for what is processed.
constexpr const char* kStyle = R"(
QWidget#mainView { background: #1c1f24; color: #e8eaed; }
QWidget#mainView QLabel { color: #e8eaed; font-size: 10pt; }
QLabel#bigTime { font-size: 20pt; font-weight: bold; color: #ffffff; }
QFrame#place { background: #111317; border: 1px solid #3a3f47; border-radius: 4px; }
QPushButton { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #3a4049, stop:1 #2a2e35);
  color: #e8eaed; border: 1px solid #4a515c; border-radius: 4px; padding: 3px 7px; font-size: 10pt; }
QPushButton:hover { border-color: #7aa7d9; }
QPushButton:checked { background: #d94a3d; border-color: #ff7a6b; color: #ffffff; }
QPushButton:disabled { color: #6b717a; background: #25282d; border-color: #33373d; }
QPushButton#lamp { min-height: 12px; max-height: 14px; }
QPushButton#lamp:checked { background: #f0b429; border-color: #ffd36b; }
QPushButton#bypass { font-weight: bold; padding: 5px 12px; }
QPushButton#bypass:checked { background: #2f8f5a; border-color: #5fd08c; }
QSlider::groove:vertical { background: #0d0f12; width: 6px; border-radius: 3px; }
QSlider::handle:vertical { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #d9dde3, stop:1 #8d939c);
  height: 12px; margin: 0 -9px; border-radius: 2px; }
QSlider::sub-page:vertical { background: #0d0f12; }
QSlider::add-page:vertical { background: #3d7fd1; border-radius: 3px; }
QProgressBar { background: #0d0f12; border: 1px solid #3a3f47; border-radius: 2px; color: #e8eaed;
  max-height: 12px; font-size: 8pt; }
QProgressBar::chunk { background: #3fbf6f; }
)";

// A fader's name over it; long names (German, French) wrap inside words rather than
// being cut off.
class FaderCaption : public QWidget {
public:
    explicit FaderCaption(const QString& text) : text_(text) {
        QFont f = font();
        f.setPointSizeF(8.0);
        setFont(f);
        setMinimumHeight(4 * fontMetrics().height() + 2);
        setMinimumWidth(40);
        setToolTip(text);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setPen(QColor(0xe8, 0xea, 0xed));
        p.drawText(rect(), Qt::AlignHCenter | Qt::AlignBottom | Qt::TextWordWrap, text_);
        // Words longer than the column wrap anywhere.
        if (fontMetrics().boundingRect(rect(), Qt::TextWordWrap, text_).width() > width()) {
            p.eraseRect(rect());
            p.fillRect(rect(), QColor(0x1c, 0x1f, 0x24));
            p.drawText(rect(), Qt::AlignHCenter | Qt::AlignBottom | Qt::TextWrapAnywhere, text_);
        }
    }

private:
    QString text_;
};

QFrame* place(const QString& name) {
    auto* frame = new QFrame;
    frame->setObjectName(QStringLiteral("place"));
    frame->setAccessibleName(name);
    return frame;
}

QProgressBar* meter() {
    auto* bar = new QProgressBar;
    bar->setRange(0, 100);
    bar->setValue(0);
    bar->setTextVisible(false);
    return bar;
}

} // namespace

AEMainView::AEMainView(std::function<QString(int32_t)> text, QWidget* parent)
    : QWidget(parent), text_(std::move(text)) {
    setObjectName(QStringLiteral("mainView"));
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(QString::fromLatin1(kStyle));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(6);
    layout->addWidget(buildTop(), 3);
    layout->addWidget(buildWaveform(), 2);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(buildTransport(), 2);
    bottom->addWidget(buildFaders(), 3);
    layout->addLayout(bottom, 0);
}

QPushButton* AEMainView::makeButton(int32_t tag, int32_t textId, const QString& symbol,
                                    bool checkable) {
    auto* b = new QPushButton(symbol.isEmpty() ? text_(textId) : symbol);
    b->setToolTip(text_(textId));
    b->setProperty("tag", tag);
    b->setCheckable(checkable);
    b->setFocusPolicy(Qt::NoFocus);
    if (checkable) {
        connect(b, &QPushButton::toggled, this,
                [this, tag](bool on) { emit controlChanged(tag, on ? 1 : 0); });
    } else {
        connect(b, &QPushButton::clicked, this, [this, tag] { emit controlChanged(tag, 1); });
    }
    return b;
}

QWidget* AEMainView::buildTop() {
    auto* top = new QWidget;
    auto* layout = new QHBoxLayout(top);
    layout->setContentsMargins(0, 0, 0, 0);

    auto* listSide = new QVBoxLayout;
    titleListPlace_ = place(QStringLiteral("titleList"));
    titleListPlace_->setMinimumSize(300, 120);
    listSide->addWidget(titleListPlace_, 1);
    auto* listButtons = new QHBoxLayout;
    listButtons->addWidget(makeButton(kImportWave, 3018, QString(), false));
    listButtons->addStretch(1);
    listButtons->addWidget(makeButton(kMoveUp, 3021, QStringLiteral("\u25B2"), false));
    listButtons->addWidget(makeButton(kMoveDown, 3022, QStringLiteral("\u25BC"), false));
    listButtons->addWidget(makeButton(kRemoveTitle, 3020, QStringLiteral("\u2212"), false));
    listButtons->addWidget(makeButton(kDeleteTitle, 3019, QStringLiteral("\u2716"), false));
    listSide->addLayout(listButtons);
    layout->addLayout(listSide, 3);

    auto* info = new QGridLayout;
    info->setVerticalSpacing(4);
    position_ = new QLabel(QStringLiteral("00:00:00"));
    position_->setObjectName(QStringLiteral("bigTime"));
    position_->setToolTip(text_(3044));
    remaining_ = new QLabel;
    remaining_->setObjectName(QStringLiteral("bigTime"));
    remaining_->setToolTip(text_(3036));
    info->addWidget(position_, 0, 0, 1, 2);
    info->addWidget(remaining_, 1, 0);
    auto* remainingCaption = new QLabel(text_(3036));
    remainingCaption->setWordWrap(true);
    info->addWidget(remainingCaption, 1, 1);
    static const char* const kMeterNames[] = {"L", "R", "L", "R"};
    for (int i = 0; i < 4; ++i) {
        meters_[i] = meter();
        meters_[i]->setToolTip(text_(i < 2 ? 3012 : 3011));
        info->addWidget(new QLabel(QString::fromLatin1(kMeterNames[i])), 2 + i, 0, Qt::AlignRight);
        info->addWidget(meters_[i], 2 + i, 1);
    }
    freeSpace_ = new QProgressBar;
    freeSpace_->setRange(0, 100);
    freeSpace_->setFormat(QStringLiteral("%p %"));
    freeSpace_->setToolTip(text_(3037));
    info->addWidget(new QLabel(text_(3037)), 6, 0, 1, 2);
    info->addWidget(freeSpace_, 7, 0, 1, 2);
    load_ = new QLabel(QStringLiteral("CPU 0 %"));
    info->addWidget(load_, 8, 0, 1, 2);
    info->setRowStretch(9, 1);
    layout->addLayout(info, 2);
    return top;
}

QWidget* AEMainView::buildWaveform() {
    auto* box = new QWidget;
    auto* layout = new QHBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    waveformPlace_ = place(QStringLiteral("waveform"));
    waveformPlace_->setMinimumHeight(70);
    layout->addWidget(waveformPlace_, 1);
    auto* zoom = new QVBoxLayout;
    zoom->addWidget(makeButton(kZoomIn, 3023, QStringLiteral("+"), false));
    zoom->addWidget(makeButton(kZoomOut, 3024, QStringLiteral("\u2212"), false));
    zoom->addStretch(1);
    layout->addLayout(zoom);
    return box;
}

QWidget* AEMainView::buildTransport() {
    auto* box = new QWidget;
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* row = new QHBoxLayout;
    row->addWidget(makeButton(kRecord, 3011, QStringLiteral("\u25CF"), false));
    row->addWidget(makeButton(kPlay, 3012, QStringLiteral("\u25B6"), false));
    row->addWidget(makeButton(kStop, 3013, QStringLiteral("\u25A0"), false));
    row->addWidget(makeButton(kRewind, 3014, QStringLiteral("\u25C0\u25C0"), false));
    row->addWidget(makeButton(kForward, 3015, QStringLiteral("\u25B6\u25B6"), false));
    row->addWidget(makeButton(kLoop, 3017, QStringLiteral("\u21BB"), true));
    layout->addLayout(row);
    auto* modes = new QHBoxLayout;
    QPushButton* bypass = makeButton(kBypass, 3025, QString(), true);
    bypass->setObjectName(QStringLiteral("bypass"));
    modes->addWidget(bypass, 2);
    modes->addWidget(makeButton(kMono, 3026, QStringLiteral("Mono"), true), 1);
    layout->addLayout(modes);
    auto* processing = new QGridLayout;
    processing->addWidget(makeButton(kProcessCurrent, 3033, QString(), false), 0, 0);
    processing->addWidget(makeButton(kProcessAll, 3034, QString(), false), 0, 1);
    processing->addWidget(makeButton(kCancelProcessing, 3035, QString(), false), 1, 0, 1, 2);
    layout->addLayout(processing);
    return box;
}

QWidget* AEMainView::buildFaders() {
    auto* box = new QWidget;
    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(4);
    for (int slot = 0; slot < kSliders; ++slot) {
        const int32_t textId = 3027 + slot;
        auto* name = new FaderCaption(text_(textId));
        grid->addWidget(name, 0, slot);
        auto* s = new QSlider(Qt::Vertical);
        s->setRange(0, kSliderMaximum);
        s->setPageStep(kSliderMaximum / 10);
        s->setSingleStep(kSliderMaximum / 100);
        s->setMinimumHeight(80);
        s->setToolTip(text_(textId));
        const int32_t tag = kSliderTags[slot];
        s->setProperty("tag", tag);
        connect(s, &QSlider::valueChanged, this,
                [this, tag](int value) { emit controlChanged(tag, value); });
        sliders_[slot] = s;
        grid->addWidget(s, 1, slot, Qt::AlignHCenter);
        // An unlabelled lamp switch: lit while the processor is on.
        QPushButton* on = makeButton(kSwitchTags[slot], textId, QStringLiteral(" "), true);
        on->setObjectName(QStringLiteral("lamp"));
        switches_[slot] = on;
        grid->addWidget(on, 2, slot);
    }
    return box;
}

QPushButton* AEMainView::button(int32_t tag) const {
    for (QPushButton* b : findChildren<QPushButton*>()) {
        if (b->property("tag").toInt() == tag) {
            return b;
        }
    }
    return nullptr;
}

QWidget* AEMainView::control(int32_t tag) const {
    if (QPushButton* b = button(tag)) {
        return b;
    }
    for (QSlider* s : sliders_) {
        if (s->property("tag").toInt() == tag) {
            return s;
        }
    }
    return nullptr;
}

void AEMainView::setControlsEnabled(bool enabled) {
    for (QPushButton* b : findChildren<QPushButton*>()) {
        b->setEnabled(enabled);
    }
    for (QSlider* s : sliders_) {
        s->setEnabled(enabled);
    }
}

void AEMainView::setTransportEnabled(bool enabled) {
    for (int32_t tag : {kRecord, kPlay, kRewind, kForward, kImportWave, kDeleteTitle, kRemoveTitle,
                        kMoveUp, kMoveDown, kProcessCurrent, kProcessAll}) {
        if (QPushButton* b = button(tag)) {
            b->setEnabled(enabled);
        }
    }
}

void AEMainView::setRemainingTime(const QString& text) {
    remaining_->setText(text);
}

QString AEMainView::remainingTime() const {
    return remaining_->text();
}

void AEMainView::setPositionText(const QString& text) {
    position_->setText(text);
}

void AEMainView::setFreeSpace(int percent) {
    freeSpace_->setValue(percent);
}

void AEMainView::setLoad(int percent) {
    load_->setText(QStringLiteral("CPU %1 %").arg(percent));
}

void AEMainView::setLevels(int outLeft, int outRight, int inLeft, int inRight) {
    const int values[] = {outLeft, outRight, inLeft, inRight};
    for (int i = 0; i < 4; ++i) {
        meters_[i]->setValue(values[i]);
    }
}

void AEMainView::setProcessing(bool on) {
    setTransportEnabled(!on);
}
