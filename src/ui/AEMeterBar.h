#pragma once

#include <QWidget>

// One level meter of the main view: a bar for the level 0..99 (green, amber from −6 dB
// of the top, red at the top) and a clip mark at its end that lights once the channel
// clipped. Clicking the meter asks for the clip marks to be cleared.
class AEMeterBar : public QWidget {
    Q_OBJECT
public:
    static constexpr int kMaximum = 99;

    explicit AEMeterBar(QWidget* parent = nullptr);

    void setLevel(int level);
    int level() const { return level_; }
    void setClipped(bool clipped);
    bool clipped() const { return clipped_; }

    QSize sizeHint() const override { return {120, 12}; }
    QSize minimumSizeHint() const override { return {40, 10}; }

signals:
    void clipResetRequested();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    int level_ = 0;
    bool clipped_ = false;
};
