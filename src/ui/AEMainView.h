#pragma once

#include "RestorationStages.h"

#include <QWidget>

#include <array>
#include <cstdint>
#include <functional>

class AEFaderCaption;
class AEMeterBar;
class QLabel;
class QProgressBar;
class QPushButton;
class QSlider;
class QFrame;

// The main view: title list and waveform places, time displays, meters, transport,
// the six restoration faders with their switches and the processing buttons. Every
// control reports to the window with its numeric tag.
class AEMainView : public QWidget {
    Q_OBJECT
public:
    // Control tags.
    enum Tag : int32_t {
        kSliderClick = 5,
        kSliderCrackle = 6,
        kSliderNoise = 7,
        kSliderBrilliance = 9,
        kSliderBass = 10,
        kSliderWidth = 11,
        kRecord = 12,
        kPlay = 13,
        kStop = 14,
        kImportWave = 15,
        kDeleteTitle = 16,
        kRemoveTitle = 17,
        kRewind = 52,
        kForward = 53,
        kLoop = 54,
        kSwitchFirst = 79, // 79 to 83, then 92
        kSwitchLast = 92,
        kZoomIn = 84,
        kZoomOut = 85,
        kBypass = 86,
        kMono = 89,
        kMoveUp = 93,
        kMoveDown = 94,
        kProcessCurrent = 95,
        kSplitAtSilences = 96,
        kProcessAll = 9877,
        kCancelProcessing = 9878,
    };
    static constexpr int kSliders = static_cast<int>(kRestorationStages.size());
    static constexpr int32_t kSliderMaximum = kStagePositions;
    // What the transport does, as the record and play buttons and the state text show it.
    enum class TransportState { kStopped, kPlaying, kRecording };
    // The four meters: output left and right, input left and right.
    static constexpr int kMeters = 4;

    // `text`: the user's-language text of an English string id.
    AEMainView(std::function<QString(int32_t)> text, QWidget* parent = nullptr);

    // The control with `tag`, or null.
    QWidget* control(int32_t tag) const;
    QSlider* slider(int slot) const { return sliders_[slot]; }
    QPushButton* processorSwitch(int slot) const { return switches_[slot]; }
    QPushButton* button(int32_t tag) const;

    // Enables or disables every control (a project is loaded or not).
    void setControlsEnabled(bool enabled);
    // The transport and edit controls, disabled during long operations.
    void setTransportEnabled(bool enabled);
    void setRemainingTime(const QString& text);
    QString remainingTime() const;
    void setPositionText(const QString& text);
    void setFreeSpace(int percent);
    void setLoad(int percent);
    QString positionText() const;
    void setLevels(int outLeft, int outRight, int inLeft, int inRight);
    // The clip marks of the output (`input` false) or the input meters.
    void setClipMarks(bool input, bool left, bool right);
    AEMeterBar* meter(int index) const { return meters_[index]; }
    QString loadText() const;
    int freeSpace() const;
    void setProcessing(bool on);
    void setTransportState(TransportState state);
    TransportState transportState() const { return transportState_; }
    // Sets a processor switch and its label without reporting a change.
    void setSwitch(int slot, bool on);
    // Sets a fader without reporting a change.
    void setSliderValue(int slot, int value);
    AEFaderCaption* caption(int slot) const { return captions_[slot]; }

    QFrame* titleListPlace() const { return titleListPlace_; }
    QFrame* waveformPlace() const { return waveformPlace_; }

signals:
    void controlChanged(int32_t tag, int32_t value);
    // A key typed into the view that none of its controls took.
    void keyTyped(int key, Qt::KeyboardModifiers modifiers, const QString& text);
    void clipResetRequested();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QPushButton* makeButton(int32_t tag, int32_t textId, const QString& symbol, bool checkable);
    QWidget* buildTop();
    QWidget* buildWaveform();
    QWidget* buildInfo();
    QWidget* buildTransport();
    QWidget* buildFaders();
    QWidget* buildProcessing();
    void showSwitchState(int slot);

    std::function<QString(int32_t)> text_;
    std::array<QSlider*, kSliders> sliders_{};
    std::array<QPushButton*, kSliders> switches_{};
    std::array<AEFaderCaption*, kSliders> captions_{};
    std::array<AEMeterBar*, kMeters> meters_{};
    QFrame* titleListPlace_ = nullptr;
    QFrame* waveformPlace_ = nullptr;
    QLabel* position_ = nullptr;
    QLabel* remaining_ = nullptr;
    QProgressBar* freeSpace_ = nullptr;
    QLabel* load_ = nullptr;
    QLabel* state_ = nullptr;
    TransportState transportState_ = TransportState::kStopped;
};
