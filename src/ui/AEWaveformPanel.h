#pragma once

#include <QWidget>

class AEApplication;
class AEWaveformView;
class QLabel;
class QScrollBar;

// The waveform view with the times of its visible range and the scroll bar that moves it
// through a title longer than the view. The times sit under the waveform, where the fade
// handles at the view's top corners never cover them.
class AEWaveformPanel : public QWidget {
    Q_OBJECT
public:
    explicit AEWaveformPanel(AEApplication& app, QWidget* parent = nullptr);

    AEWaveformView& view() const { return *view_; }
    QScrollBar& scrollBar() const { return *scroll_; }
    // The view's start and end as "h:mm:ss".
    QString startText() const;
    QString endText() const;

private:
    // The bar and the times follow the view's range and length.
    void follow();

    AEWaveformView* view_ = nullptr;
    QScrollBar* scroll_ = nullptr;
    QLabel* start_ = nullptr;
    QLabel* end_ = nullptr;
    bool following_ = false;
};
