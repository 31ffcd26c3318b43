#include "AEMainView.h"

#include "AEFaderCaption.h"
#include "AEMeterBar.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QStyle>
#include <QVBoxLayout>

namespace {

// Calm and dark; red for what is live, green for what is processed, amber for a
// restoration that is switched on.
constexpr const char* kStyle = R"(
QWidget#mainView { background: #1c1f24; color: #e8eaed; }
QWidget#mainView QLabel { color: #e8eaed; font-size: 10pt; }
QLabel#bigTime { font-size: 18pt; font-weight: bold; color: #ffffff; }
QLabel#small { font-size: 9pt; color: #aab0b8; }
QLabel#live { font-size: 9pt; color: #ff7a6b; font-weight: bold; }
QFrame#place { background: #111317; border: 1px solid #3a3f47; border-radius: 4px; }
QFrame#strip { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #262a31, stop:1 #1f2228);
  border: 1px solid #30353d; border-radius: 4px; }
QPushButton { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #3a4049, stop:1 #2a2e35);
  color: #e8eaed; border: 1px solid #4a515c; border-radius: 4px; padding: 3px 7px; font-size: 10pt; }
QPushButton:hover { border-color: #7aa7d9; }
QPushButton:checked { background: #3d7fd1; border-color: #7aa7d9; color: #ffffff; }
QPushButton:disabled { color: #6b717a; background: #25282d; border-color: #33373d; }
QPushButton#transport { font-size: 12pt; min-width: 34px; padding: 2px 6px; }
QPushButton#transport[live="true"] { background: #2f8f5a; border-color: #5fd08c; color: #ffffff; }
QPushButton#record { font-size: 12pt; min-width: 34px; padding: 2px 6px; color: #ff6b5e; }
QPushButton#record[live="true"] { background: #d94a3d; border-color: #ff7a6b; color: #ffffff; }
QPushButton#lamp { font-size: 9pt; padding: 1px 4px; color: #8d939c; }
QPushButton#lamp:checked { background: #f0b429; border-color: #ffd36b; color: #1c1f24; font-weight: bold; }
QPushButton#bypass { font-weight: bold; padding: 4px 14px; }
QPushButton#bypass:checked { background: #d98a1f; border-color: #ffc46b; color: #1c1f24; }
QSlider::groove:vertical { background: #0d0f12; width: 6px; border-radius: 3px; }
QSlider::handle:vertical { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #eef0f3, stop:0.45 #b9bec6, stop:0.5 #5a6069, stop:0.55 #b9bec6, stop:1 #8d939c);
  height: 14px; margin: 0 -10px; border-radius: 2px; }
QSlider::handle:vertical:disabled { background: #4a4f57; }
QSlider::sub-page:vertical { background: #0d0f12; }
QSlider::add-page:vertical { background: #3d7fd1; border-radius: 3px; }
QSlider::add-page:vertical:disabled { background: #2b3340; }
QProgressBar { background: #0d0f12; border: 1px solid #3a3f47; border-radius: 2px; color: #e8eaed;
  max-height: 14px; font-size: 8pt; }
QProgressBar::chunk { background: #3fbf6f; }
)";

QFrame* place(const QString& name) {
    auto* frame = new QFrame;
    frame->setObjectName(QStringLiteral("place"));
    frame->setAccessibleName(name);
    return frame;
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
    layout->addWidget(buildTransport(), 0);
    layout->addWidget(buildFaders(), 0);
    layout->addWidget(buildProcessing(), 0);
    // Keys that no control takes reach the view (keyTyped).
    setFocusPolicy(Qt::StrongFocus);
}

void AEMainView::keyPressEvent(QKeyEvent* event) {
    emit keyTyped(event->key(), event->modifiers(), event->text());
    event->accept();
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
    listButtons->addWidget(makeButton(kSplitAtSilences, 3261, QStringLiteral("\u2702"), false));
    listButtons->addWidget(makeButton(kMoveUp, 3021, QStringLiteral("\u25B2"), false));
    listButtons->addWidget(makeButton(kMoveDown, 3022, QStringLiteral("\u25BC"), false));
    listButtons->addWidget(makeButton(kRemoveTitle, 3020, QStringLiteral("\u2212"), false));
    listButtons->addWidget(makeButton(kDeleteTitle, 3019, QStringLiteral("\u2716"), false));
    listSide->addLayout(listButtons);
    layout->addLayout(listSide, 3);

    layout->addWidget(buildInfo(), 0);
    return top;
}

QWidget* AEMainView::buildInfo() {
    auto* box = new QWidget;
    box->setFixedWidth(290);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(3);

    auto* times = new QGridLayout;
    times->setHorizontalSpacing(8);
    times->setVerticalSpacing(0);
    position_ = new QLabel(QStringLiteral("0:00:00"));
    position_->setObjectName(QStringLiteral("bigTime"));
    position_->setToolTip(text_(3222));
    state_ = new QLabel(text_(3044));
    state_->setObjectName(QStringLiteral("small"));
    remaining_ = new QLabel;
    remaining_->setObjectName(QStringLiteral("bigTime"));
    remaining_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    remaining_->setToolTip(text_(3036));
    auto* remainingCaption = new QLabel(text_(3036));
    remainingCaption->setObjectName(QStringLiteral("small"));
    remainingCaption->setAlignment(Qt::AlignRight | Qt::AlignTop);
    remainingCaption->setWordWrap(true);
    times->addWidget(position_, 0, 0);
    times->addWidget(remaining_, 0, 1);
    times->addWidget(state_, 1, 0, Qt::AlignTop);
    times->addWidget(remainingCaption, 1, 1);
    times->setColumnStretch(1, 1);
    layout->addLayout(times);

    auto* meters = new QGridLayout;
    meters->setHorizontalSpacing(6);
    meters->setVerticalSpacing(3);
    for (int i = 0; i < kMeters; ++i) {
        const bool input = i >= 2;
        if (i % 2 == 0) {
            auto* group = new QLabel(text_(input ? 3119 : 3118));
            group->setObjectName(QStringLiteral("small"));
            meters->addWidget(group, i, 0, 2, 1, Qt::AlignVCenter);
        }
        auto* side = new QLabel(QString::fromLatin1(i % 2 == 0 ? "L" : "R"));
        side->setObjectName(QStringLiteral("small"));
        meters->addWidget(side, i, 1);
        meters_[i] = new AEMeterBar;
        meters_[i]->setToolTip(text_(input ? 3226 : 3225));
        connect(meters_[i], &AEMeterBar::clipResetRequested, this, &AEMainView::clipResetRequested);
        meters->addWidget(meters_[i], i, 2);
    }
    meters->setColumnStretch(2, 1);
    layout->addLayout(meters);

    auto* disk = new QHBoxLayout;
    auto* diskCaption = new QLabel(text_(3037));
    diskCaption->setObjectName(QStringLiteral("small"));
    disk->addWidget(diskCaption);
    freeSpace_ = new QProgressBar;
    freeSpace_->setRange(0, 100);
    freeSpace_->setValue(0);
    freeSpace_->setFormat(QStringLiteral("%p %"));
    freeSpace_->setToolTip(text_(3037));
    disk->addWidget(freeSpace_, 1);
    layout->addLayout(disk);
    load_ = new QLabel;
    load_->setObjectName(QStringLiteral("small"));
    load_->setToolTip(text_(3224));
    setLoad(0);
    layout->addWidget(load_);
    layout->addStretch(1);
    return box;
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
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    struct Key {
        int32_t tag;
        int32_t textId;
        const char16_t* symbol;
    };
    const Key keys[] = {{kRecord, 3011, u"\u25CF"},        {kPlay, 3012, u"\u25B6"},
                        {kStop, 3013, u"\u25A0"},          {kRewind, 3014, u"\u25C0\u25C0"},
                        {kForward, 3015, u"\u25B6\u25B6"}, {kLoop, 3017, u"\u21BB"}};
    for (const auto& [tag, textId, symbol] : keys) {
        QPushButton* b = makeButton(tag, textId, QString::fromUtf16(symbol), tag == kLoop);
        b->setObjectName(QString::fromLatin1(tag == kRecord ? "record" : "transport"));
        if (tag == kRewind || tag == kForward) {
            // Held down, the position moves every 50 ms.
            b->setAutoRepeat(true);
            b->setAutoRepeatDelay(50);
            b->setAutoRepeatInterval(50);
        }
        row->addWidget(b);
    }
    row->addStretch(1);
    QPushButton* bypass = makeButton(kBypass, 3025, QString(), true);
    bypass->setObjectName(QStringLiteral("bypass"));
    row->addWidget(bypass);
    row->addWidget(makeButton(kMono, 3026, text_(3293), true));
    return box;
}

QWidget* AEMainView::buildFaders() {
    auto* box = new QWidget;
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(3);
    for (int slot = 0; slot < kSliders; ++slot) {
        const RestorationStage& stage = kRestorationStages[static_cast<size_t>(slot)];
        const int32_t textId = stage.nameString;
        auto* strip = new QFrame;
        strip->setObjectName(QStringLiteral("strip"));
        auto* column = new QVBoxLayout(strip);
        column->setContentsMargins(1, 2, 1, 3);
        column->setSpacing(2);
        captions_[slot] = new AEFaderCaption(text_(textId));
        column->addWidget(captions_[slot]);
        auto* s = new QSlider(Qt::Vertical);
        s->setRange(0, kSliderMaximum);
        s->setPageStep(kSliderMaximum / 10);
        s->setSingleStep(kSliderMaximum / 100);
        s->setMinimumHeight(64);
        s->setToolTip(text_(textId));
        const int32_t tag = stage.sliderTag;
        s->setProperty("tag", tag);
        connect(s, &QSlider::valueChanged, this,
                [this, tag](int value) { emit controlChanged(tag, value); });
        sliders_[slot] = s;
        column->addWidget(s, 1, Qt::AlignHCenter);
        QPushButton* on = makeButton(stage.switchTag, 3227, QString(), true);
        on->setObjectName(QStringLiteral("lamp"));
        on->setToolTip(text_(textId) + QStringLiteral(": ") + text_(3227));
        switches_[slot] = on;
        connect(on, &QPushButton::toggled, this, [this, slot] { showSwitchState(slot); });
        showSwitchState(slot);
        column->addWidget(on);
        row->addWidget(strip, 1);
    }
    const QList<AEFaderCaption*> group(captions_.begin(), captions_.end());
    for (AEFaderCaption* c : captions_) {
        c->setGroup(group);
    }
    return box;
}

QWidget* AEMainView::buildProcessing() {
    auto* box = new QWidget;
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(makeButton(kProcessCurrent, 3033, QString(), false), 1);
    row->addWidget(makeButton(kProcessAll, 3034, QString(), false), 1);
    row->addWidget(makeButton(kCancelProcessing, 3035, QString(), false), 1);
    return box;
}

void AEMainView::showSwitchState(int slot) {
    switches_[slot]->setText(text_(switches_[slot]->isChecked() ? 3220 : 3221));
}

void AEMainView::setSwitch(int slot, bool on) {
    const QSignalBlocker block(switches_[slot]);
    switches_[slot]->setChecked(on);
    showSwitchState(slot);
}

void AEMainView::setSliderValue(int slot, int value) {
    const QSignalBlocker block(sliders_[slot]);
    sliders_[slot]->setValue(value);
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
                        kMoveUp, kMoveDown, kProcessCurrent, kProcessAll, kSplitAtSilences}) {
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

QString AEMainView::positionText() const {
    return position_->text();
}

void AEMainView::setFreeSpace(int percent) {
    freeSpace_->setValue(percent);
}

int AEMainView::freeSpace() const {
    return freeSpace_->value();
}

void AEMainView::setLoad(int percent) {
    load_->setText(QStringLiteral("%1 %2 %").arg(text_(3223)).arg(percent));
}

QString AEMainView::loadText() const {
    return load_->text();
}

void AEMainView::setLevels(int outLeft, int outRight, int inLeft, int inRight) {
    const int values[] = {outLeft, outRight, inLeft, inRight};
    for (int i = 0; i < kMeters; ++i) {
        meters_[i]->setLevel(values[i]);
    }
}

void AEMainView::setClipMarks(bool input, bool left, bool right) {
    meters_[input ? 2 : 0]->setClipped(left);
    meters_[input ? 3 : 1]->setClipped(right);
}

void AEMainView::setProcessing(bool on) {
    // A processing run and live restoration share the algorithm library: the faders
    // and switches wait until the run is over.
    setTransportEnabled(!on);
    for (int slot = 0; slot < kSliders; ++slot) {
        sliders_[slot]->setEnabled(!on);
        switches_[slot]->setEnabled(!on);
    }
}

void AEMainView::setTransportState(TransportState state) {
    transportState_ = state;
    for (auto [tag, live] : {std::pair{kRecord, state == TransportState::kRecording},
                             std::pair{kPlay, state == TransportState::kPlaying}}) {
        QPushButton* b = button(tag);
        b->setProperty("live", live);
        b->style()->unpolish(b);
        b->style()->polish(b);
    }
    state_->setText(text_(state == TransportState::kRecording ? 3042
                          : state == TransportState::kPlaying ? 3043
                                                              : 3044));
    state_->setObjectName(
        QString::fromLatin1(state == TransportState::kStopped ? "small" : "live"));
    state_->style()->unpolish(state_);
    state_->style()->polish(state_);
    if (state == TransportState::kRecording) {
        // Only stop (and the lit record button) while recording.
        setTransportEnabled(false);
        button(kRecord)->setEnabled(true);
    }
}
