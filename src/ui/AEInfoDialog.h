#pragma once

#include <QDialog>
#include <QString>

#include <cstdint>
#include <functional>

class QLabel;
class QPushButton;

// Help, "Information and problem reports": the program's version and system, where its
// settings and its log are kept, and what a problem report needs. Copy puts all of it on
// the clipboard as plain text, ready to paste into a report; Close closes the dialog.
class AEInfoDialog : public QDialog {
    Q_OBJECT
public:
    struct Facts {
        QString version;
        QString system;
        QString settingsFile;
        QString logFile;
    };

    // `text`: an English string id in the user's language.
    AEInfoDialog(Facts facts, std::function<QString(int32_t)> text, QWidget* parent = nullptr);

    // Everything the dialog shows, as the clipboard gets it.
    QString reportText() const;
    void copy();

    QPushButton* copyButton() const { return copy_; }
    QPushButton* closeButton() const { return close_; }
    // Tells that the text was copied (empty until then).
    QLabel* copiedNote() const { return copied_; }

private:
    Facts facts_;
    std::function<QString(int32_t)> text_;
    QPushButton* copy_ = nullptr;
    QPushButton* close_ = nullptr;
    QLabel* copied_ = nullptr;
};
