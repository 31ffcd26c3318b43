#pragma once

#include "AEAlbumExport.h"

#include <QDialog>

#include <cstdint>
#include <functional>

class FileChooser;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// "Export album...": the folder (typed, or chosen with the file chooser), the format, the
// titles (all, or numbers like 1,3-5), a loudness to bring them to (or as recorded), album
// gain, and a cover picture. Export is taken only with a folder and valid titles; what is
// wrong is said in the dialog. `text`: an English string id in the user's language.
class AEAlbumExportDialog : public QDialog {
    Q_OBJECT
public:
    AEAlbumExportDialog(FileChooser& chooser, const QString& folder, int32_t titleCount,
                        std::function<QString(int32_t)> text, QWidget* parent = nullptr);

    // What the user chose (valid once accepted).
    const AEAlbumExport::Options& options() const { return options_; }

    void accept() override;

    QLineEdit* folderField() const { return folder_; }
    QComboBox* formatBox() const { return format_; }
    QLineEdit* titlesField() const { return titles_; }
    QComboBox* loudnessBox() const { return loudness_; }
    QCheckBox* albumGainBox() const { return albumGain_; }
    QLineEdit* coverField() const { return cover_; }
    QLabel* problem() const { return problem_; }

private:
    FileChooser& chooser_;
    std::function<QString(int32_t)> text_;
    int32_t titleCount_;
    AEAlbumExport::Options options_;
    QLineEdit* folder_ = nullptr;
    QComboBox* format_ = nullptr;
    QLineEdit* titles_ = nullptr;
    QComboBox* loudness_ = nullptr;
    QCheckBox* albumGain_ = nullptr;
    QLineEdit* cover_ = nullptr;
    QLabel* problem_ = nullptr;
};
