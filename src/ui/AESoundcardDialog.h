#pragma once

#include "AESoundcardSettings.h"

#include <QDialog>
#include <QStringList>

#include <cstdint>
#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The sound card settings dialog: the playback and recording device, and the number and
// size of the buffers of each direction, with the playback delay they make. Every change
// is bounded and stored at once; OK keeps the values, Cancel stores the values the dialog
// started with again. Whether anything changed is the settings object's `changed`.
class AESoundcardDialog : public QDialog {
    Q_OBJECT
public:
    // `playDevices` / `recordDevices`: the names of the devices that take 44.1 kHz 16-bit
    // stereo, in device-number order. `text`: an English string id in the user's language.
    AESoundcardDialog(AESoundcardSettings& settings, const QStringList& playDevices,
                      const QStringList& recordDevices, std::function<QString(int32_t)> text,
                      QWidget* parent = nullptr);

    // The devices of a direction that take the format, by number.
    static QStringList deviceNames(bool output);

    QComboBox* playDevice() const { return playDevice_; }
    QComboBox* recordDevice() const { return recDevice_; }
    QLineEdit* playBuffers() const { return playBuffers_; }
    QLineEdit* playSize() const { return playSize_; }
    QLineEdit* recordBuffers() const { return recBuffers_; }
    QLineEdit* recordSize() const { return recSize_; }
    QLabel* delay() const { return delay_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }

    void accept() override;
    void reject() override;

private:
    AESoundcardSettings::Values fieldValues() const;
    void showValues();
    void changed();
    void showDelay();

    AESoundcardSettings& settings_;
    std::function<QString(int32_t)> text_;
    QComboBox* playDevice_ = nullptr;
    QComboBox* recDevice_ = nullptr;
    QLineEdit* playBuffers_ = nullptr;
    QLineEdit* playSize_ = nullptr;
    QLineEdit* recBuffers_ = nullptr;
    QLineEdit* recSize_ = nullptr;
    QLabel* delay_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
    bool initialised_ = false;
};
