#pragma once

#include "LoudnessTarget.h"

#include <QDialog>

#include <cstdint>
#include <functional>

class QCheckBox;
class QComboBox;
class QPushButton;

// "Normalize loudness (all titles)...": the target loudness (-14, -16, -18 or -23 LUFS),
// album mode, and whether to normalize or only measure (the title list then shows each
// title's loudness). `text`: an English string id in the user's language.
class AELoudnessDialog : public QDialog {
    Q_OBJECT
public:
    enum Choice { kCancel, kNormalize, kMeasure };

    explicit AELoudnessDialog(std::function<QString(int32_t)> text, QWidget* parent = nullptr);

    Choice choice() const { return choice_; }
    LoudnessTarget target() const;

    QComboBox* targetBox() const { return target_; }
    QCheckBox* albumBox() const { return album_; }
    QPushButton* normalizeButton() const { return normalize_; }
    QPushButton* measureButton() const { return measure_; }

private:
    Choice choice_ = kCancel;
    QComboBox* target_ = nullptr;
    QCheckBox* album_ = nullptr;
    QPushButton* normalize_ = nullptr;
    QPushButton* measure_ = nullptr;
};
