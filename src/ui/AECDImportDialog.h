#pragma once

#include "AECDImport.h"
#include "AECDImportView.h"

#include <QDialog>

#include <cstdint>
#include <functional>
#include <memory>

class FileChooser;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTreeWidget;

// "Importing Audio tracks from CD": the drive list, the disc's tracks (several rows may be
// selected), "Add to Project", Update, the progress of the copy, the target path chosen
// with "..." and the Import and Cancel buttons. It shows the state of its import run
// (AECDImport) and passes the buttons on; the run's calls from the copy thread are handed
// to the dialog's thread. Cancel stops a running copy and otherwise closes the dialog.
class AECDImportDialog : public QDialog, public AECDImportView {
    Q_OBJECT
public:
    // `text`: an English string id in the user's language. `onAdding`: called on the
    // dialog's thread when copied files go to the project.
    AECDImportDialog(AECDImport::Target target, FileChooser& chooser,
                     std::function<QString(int32_t)> text, std::function<void()> onAdding = {},
                     QWidget* parent = nullptr);
    // Stops a running copy and waits for it.
    ~AECDImportDialog() override;

    // Opens the import run: busy, settings read, lists filled.
    void start();
    AECDImport& import() const { return *import_; }
    // Hands the run over once the dialog has closed (its files may still be being added).
    std::unique_ptr<AECDImport> takeImport();

    QComboBox* drives() const { return drives_; }
    QTreeWidget* tracks() const { return tracks_; }
    QCheckBox* addToProject() const { return add_; }
    QPushButton* updateButton() const { return update_; }
    QProgressBar* progress() const { return progress_; }
    QLabel* status() const { return status_; }
    QLineEdit* path() const { return path_; }
    QPushButton* browseButton() const { return browse_; }
    QPushButton* importButton() const { return importButton_; }
    QPushButton* cancelButton() const { return cancel_; }

    // AECDImportView (copy thread).
    void setCopyControlsEnabled(bool enabled) override;
    void showProgress(int32_t position, const std::string& status) override;
    void addingToProject() override;

    void reject() override;

signals:
    // The copy thread's notifications, emitted on that thread; the dialog's widgets take
    // them on the dialog's thread.
    void copyControlsSwitched(bool enabled);
    void progressShown(int position, const QString& status);
    void addingStarted();

private:
    void showPath();
    void showLists();
    void takeChoices();
    void browse();
    void startImport();
    void switchCopyControls(bool enabled);
    void copyEnded();

    std::unique_ptr<AECDImport> import_;
    FileChooser& chooser_;
    std::function<QString(int32_t)> text_;
    std::function<void()> onAdding_;
    QComboBox* drives_ = nullptr;
    QTreeWidget* tracks_ = nullptr;
    QCheckBox* add_ = nullptr;
    QPushButton* update_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* status_ = nullptr;
    QLineEdit* path_ = nullptr;
    QPushButton* browse_ = nullptr;
    QPushButton* importButton_ = nullptr;
    QPushButton* cancel_ = nullptr;
};
