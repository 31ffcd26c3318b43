#pragma once

#include "AEAddToProject.h"
#include "AEAlbumExport.h"
#include "AEBusyGuard.h"
#include "AECDImportDialog.h"
#include "AEFileCopy.h"
#include "AEFlacExport.h"
#include "AEImportList.h"
#include "AESoundcardDialog.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

class AEApplication;
class AEBackgroundJob;
class AECDImport;
class AEMainWindow;

// The main window's commands that work through dialogs and threads of their own: the
// sound card settings, the export of the current title's audio, the WAVE import and the
// CD import. It owns the window's import list and the threads these commands start; the
// window stays responsive meanwhile (the dialogs are modal but do not block the caller).
// The window's command table has checked what every command needs (a project, no long
// operation, no recording) and stopped the transport before any of these runs.
class AEDialogCommands : public QObject {
    Q_OBJECT
public:
    AEDialogCommands(AEApplication& app, AEMainWindow& window);
    // Closes an open dialog and waits for the threads still running.
    ~AEDialogCommands() override;

    // "Soundcard settings": the dialog; a confirmed change reopens the device with it.
    void soundcardSettings();
    // "Export Audiotrack As...": the current title's audio into a WAVE file, copied on a
    // thread with the shared progress display.
    void exportAudio();
    // "Import WAVE files": the chosen files are checked and the accepted ones added to the
    // project on a thread.
    void importWaveFiles();
    // "Import Audio Files...": the same for FLAC, Ogg Vorbis, Opus, MP3 and WAVE files of
    // any rate and format, converted into title files on the way in.
    void importAudioFiles();
    // "Export Audiotrack as FLAC...": the current title's audio as a tagged FLAC file,
    // encoded on a thread with the shared progress display.
    void exportFlac();
    // "Import Tracks from CD...": false when its dialog is open already.
    bool importFromCd();
    // "Export CD image...": the project as OUT.cue and OUT.bin, written on a thread with
    // the shared progress display; a project longer than the disc is refused first.
    void exportDiscImage();
    // "Export album...": its dialog, a question before files of the folder are replaced,
    // then the export on a thread with the shared progress display (AEAlbumExport).
    void exportAlbum();
    // "Split at silences...": the songs found in the current title, shown with their
    // start times for the user to accept (one title per song) or cancel.
    void splitAtSilences();

    AEImportList& importList() { return importList_; }
    AESoundcardDialog* soundcardDialog() const { return soundcard_; }
    AECDImportDialog* cdImportDialog() const { return cdImport_; }
    // A copy or an add-to-project thread is still to be collected.
    bool working() const;
    AEFileCopy::Result lastExportResult() const { return lastExport_; }
    AEFlacExport::Result lastFlacExportResult() const { return lastFlacExport_; }
    AEAlbumExport::Result lastAlbumExportResult() const { return lastAlbumExport_; }
    // What the last WAVE import added, once it has ended.
    const AEAddToProject::Report& lastWaveImport() const { return addReport_; }

private:
    QString text(int32_t id) const;
    void collect();
    // Polls for the job just started, which keeps the program busy until it is collected.
    void startJob(AEBusyGuard busy);
    void finishExport();
    void finishAlbumExport();
    void importFiles(const QString& title, const QString& filter, int folderSlot);
    void cdDialogClosed(AECDImportDialog* dialog);

    AEApplication& app_;
    AEMainWindow& window_;
    AEImportList importList_;
    QTimer poll_;
    QPointer<AESoundcardDialog> soundcard_;
    QPointer<AECDImportDialog> cdImport_;
    std::unique_ptr<AEBackgroundJob> exportJob_;
    std::string exportPath_;
    AEFileCopy::Result lastExport_ = AEFileCopy::kCopied;
    std::unique_ptr<AEBackgroundJob> flacJob_;
    AEFlacExport::Result lastFlacExport_ = AEFlacExport::kWritten;
    std::unique_ptr<AEBackgroundJob> addJob_;
    std::unique_ptr<AEBackgroundJob> discJob_;
    std::unique_ptr<AEBackgroundJob> albumJob_;
    AEAlbumExport::Result lastAlbumExport_ = AEAlbumExport::kWritten;
    AEAddToProject::Report addReport_;
    // A closed CD import whose files are still being added to the project.
    std::unique_ptr<AECDImport> finishingCd_;
    // Held while one of the jobs above runs (one at a time: each needs the program free).
    std::optional<AEBusyGuard> jobBusy_;
};
