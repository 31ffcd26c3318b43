#include "AEDialogCommands.h"

#include "AECDImport.h"
#include "AECDImportDialog.h"
#include "AEMainView.h"
#include "AEMainWindow.h"
#include "AESoundcardDialog.h"
#include "AEWaveformView.h"

#include "AEApplication.h"
#include "AEBackgroundJob.h"
#include "AEBusyGuard.h"
#include "AEDiscImage.h"
#include "AEExport.h"
#include "AEFlacExport.h"
#include "AEFormatImport.h"
#include "AETimeText.h"
#include "AETitleSplit.h"
#include "AEWaveImport.h"
#include "FNPath.h"

#include <QDir>
#include <QFileInfo>

#include <numeric>

namespace {

// Directory slots of the application (DirectorySettings order).
constexpr int kAudioExportDir = 1;
constexpr int kWaveImportDir = 4;

constexpr int32_t kStringChooseWave = 3001;
constexpr int32_t kStringExportTitle = 3058;
constexpr int32_t kStringWavFilter = 3059;
constexpr int32_t kStringExportFailed = 3200;

constexpr int32_t kStringExportDisc = 3260;
constexpr int32_t kStringDiscFilter = 3267;
constexpr int32_t kStringSplitQuestion = 3269;

constexpr int kPollMilliseconds = 50;

} // namespace

AEDialogCommands::AEDialogCommands(AEApplication& app, AEMainWindow& window)
    : app_(app), window_(window) {
    poll_.setInterval(kPollMilliseconds);
    connect(&poll_, &QTimer::timeout, this, [this] { collect(); });
}

AEDialogCommands::~AEDialogCommands() {
    delete soundcard_;
    if (cdImport_) {
        // Closed without its buttons: stop and wait for the copy, free the program.
        std::unique_ptr<AECDImport> import = cdImport_->takeImport();
        import->close();
        delete cdImport_;
    }
    finishingCd_.reset();
    addJob_.reset();
    exportJob_.reset();
    flacJob_.reset();
    discJob_.reset();
    albumJob_.reset();
}

QString AEDialogCommands::text(int32_t id) const {
    return QString::fromUtf8(app_.loadString(app_.stringId(id, 0)));
}

bool AEDialogCommands::working() const {
    return exportJob_ || flacJob_ || addJob_ || finishingCd_ || discJob_ || albumJob_;
}

// --- Sound card --------------------------------------------------------------------------

void AEDialogCommands::soundcardSettings() {
    if (soundcard_) {
        return;
    }
    auto* dialog = new AESoundcardDialog(
        app_.soundcardSettings(), AESoundcardDialog::deviceNames(true),
        AESoundcardDialog::deviceNames(false), [this](int32_t id) { return text(id); }, &window_);
    dialog->setWindowModality(Qt::ApplicationModal);
    connect(dialog, &QDialog::finished, this, [this, dialog](int result) {
        if (result == QDialog::Accepted && app_.soundcardSettings().changed()) {
            app_.engine().reconfigure(app_.bufferSettings());
        }
        soundcard_ = nullptr;
        dialog->deleteLater();
    });
    soundcard_ = dialog;
    dialog->show();
}

// --- Export ------------------------------------------------------------------------------

void AEDialogCommands::exportAudio() {
    AEProject* project = app_.project();
    if (exportJob_) {
        finishExport(); // ended, not yet collected
    }
    const int32_t current = project->currentTitle();
    if (current >= 0 && window_.refuseMissingAudio({current})) {
        return;
    }
    AEBusyGuard busy;
    if (project->titleCount() > 0 && current >= 0) {
        const QString source = QString::fromStdString(app_.fileManager().getFileName(current));
        const QString folder = QString::fromStdString(app_.directory(kAudioExportDir));
        const QString chosen = window_.fileChooser().saveFile(
            &window_, text(kStringExportTitle), QDir(folder).filePath(QFileInfo(source).fileName()),
            text(kStringWavFilter), QStringLiteral("wav"));
        if (!chosen.isEmpty() && !window_.refuseTitleFile(chosen.toStdString())) {
            exportPath_ = chosen.toStdString();
            exportJob_ = AEExport::exportTitleAudio(app_.fileManager(), current, exportPath_);
            if (exportJob_) {
                app_.setDirectory(kAudioExportDir, QFileInfo(chosen).absolutePath().toStdString());
                startJob(std::move(busy));
            }
        }
    }
}

void AEDialogCommands::finishExport() {
    lastExport_ = static_cast<AEFileCopy::Result>(exportJob_->wait());
    exportJob_.reset();
    switch (lastExport_) {
    case AEFileCopy::kCopied:
    case AEFileCopy::kCancelled:
    case AEFileCopy::kDiskFull: // the copy has said so itself
        break;
    case AEFileCopy::kTooShort:
    case AEFileCopy::kOpenFailed:
    case AEFileCopy::kReadFailed:
        app_.alert(text(kStringExportFailed).toStdString() + "\n" + exportPath_);
        break;
    }
}

// --- FLAC export -------------------------------------------------------------------------

void AEDialogCommands::exportFlac() {
    AEProject* project = app_.project();
    if (flacJob_) {
        return;
    }
    const int32_t current = project->currentTitle();
    if (project->titleCount() == 0 || current < 0 || window_.refuseMissingAudio({current})) {
        return;
    }
    AEBusyGuard busy;
    const QString source = QString::fromStdString(app_.fileManager().getFileName(current));
    const QString folder = QString::fromStdString(app_.directory(AEFlacExport::kDirectorySlot));
    const QString name = QFileInfo(source).completeBaseName() + QStringLiteral(".") +
                         QString::fromLatin1(AEFlacExport::kExtension);
    const QString chosen = window_.fileChooser().saveFile(
        &window_, QString::fromStdString(AEFlacExport::dialogTitle()), QDir(folder).filePath(name),
        QString::fromStdString(AEFlacExport::dialogFilter()),
        QString::fromLatin1(AEFlacExport::kExtension));
    if (chosen.isEmpty() || window_.refuseTitleFile(chosen.toStdString())) {
        return;
    }
    app_.setDirectory(AEFlacExport::kDirectorySlot, QFileInfo(chosen).absolutePath().toStdString());
    // The export reports write failures itself.
    exportPath_ = chosen.toStdString();
    flacJob_ = AEFlacExport::exportTitleInBackground(app_.fileManager(), current, exportPath_);
    if (flacJob_) {
        startJob(std::move(busy));
    }
}

// --- CD image ----------------------------------------------------------------------------

void AEDialogCommands::exportDiscImage() {
    AEProject* project = app_.project();
    if (discJob_) {
        return;
    }
    std::vector<int32_t> all(static_cast<size_t>(project->titleCount()));
    std::iota(all.begin(), all.end(), 0);
    if (window_.refuseMissingAudio(all)) {
        return;
    }
    // The tracks are planned here, so the thread never touches the project.
    std::vector<AEDiscImage::TrackPlan> plans;
    const auto prepared = AEDiscImage::prepare(*project, app_.cdCapacitySeconds(), plans);
    if (prepared != AEDiscImage::kWritten) {
        app_.alert(text(AEDiscImage::messageId(prepared)).toStdString());
        return;
    }
    AEBusyGuard busy;
    const QString folder = QString::fromStdString(app_.directory(kAudioExportDir));
    const QString name = QString::fromStdString(project->projectTitle()).trimmed();
    const QString chosen = window_.fileChooser().saveFile(
        &window_, text(kStringExportDisc).remove(QStringLiteral("...")),
        QDir(folder).filePath((name.isEmpty() ? QStringLiteral("disc") : name) + ".cue"),
        text(kStringDiscFilter), QStringLiteral("cue"));
    if (chosen.isEmpty() || window_.refuseTitleFile(chosen.toStdString()) ||
        window_.refuseTitleFile(FNPath(chosen.toStdString()).withExtension("bin"))) {
        return;
    }
    app_.setDirectory(kAudioExportDir, QFileInfo(chosen).absolutePath().toStdString());
    exportPath_ = chosen.toStdString();
    discJob_ = std::make_unique<AEBackgroundJob>([plans = std::move(plans), path = exportPath_] {
        return static_cast<int32_t>(AEDiscImage::writeImage(plans, path));
    });
    startJob(std::move(busy));
}

// --- Split at silences -------------------------------------------------------------------

void AEDialogCommands::splitAtSilences() {
    AEProject* project = app_.project();
    if (project->currentTitle() < 0) {
        return;
    }
    const int32_t index = project->currentTitle();
    AEBusyGuard busy;
    AETitleSplit::Proposal proposal;
    auto result = AETitleSplit::propose(*project, index, {}, proposal);
    if (result == AETitleSplit::kDone) {
        // The proposed starts stay in the status line while the user decides.
        std::string starts;
        for (size_t s = 0; s < proposal.songs.size(); ++s) {
            starts += (s ? "   " : "") + std::to_string(index + static_cast<int32_t>(s) + 1) +
                      ": " + AETimeText::minutesSeconds(proposal.songs[s].music.start);
        }
        window_.showStatus(starts);
        // The song starts stay on the waveform while the question is open.
        std::vector<int32_t> marks;
        for (const AESilenceSplit::Song& song : proposal.songs) {
            marks.push_back(song.music.start);
        }
        window_.waveform().setSplitMarks(std::move(marks));
        const bool yes = app_.askYesNo(app_.stringId(kStringSplitQuestion, 0));
        window_.waveform().clearSplitMarks();
        result = yes ? AETitleSplit::accept(*project, proposal) : AETitleSplit::kCancelled;
    }
    busy.release();
    if (const int32_t id = AETitleSplit::messageId(result); id != 0) {
        app_.alert(text(id).toStdString());
    }
    if (result == AETitleSplit::kDone) {
        window_.currentTitleChanged();
    }
}

// --- WAVE and other audio file import ----------------------------------------------------

void AEDialogCommands::importWaveFiles() {
    importFiles(text(kStringChooseWave), text(kStringWavFilter), kWaveImportDir);
}

void AEDialogCommands::importAudioFiles() {
    importFiles(QString::fromStdString(AEFormatImport::dialogTitle()),
                QString::fromStdString(AEFormatImport::dialogFilter()),
                AEFormatImport::kDirectorySlot);
}

void AEDialogCommands::importFiles(const QString& title, const QString& filter, int folderSlot) {
    AEProject* project = app_.project();
    if (project->titleCount() >= AEProject::kMaxTitles) {
        return;
    }
    AEBusyGuard busy;
    addJob_.reset(); // an ended one, not yet collected
    const QStringList chosen = window_.fileChooser().openFiles(
        &window_, title, QString::fromStdString(app_.directory(folderSlot)), filter);
    if (chosen.isEmpty()) {
        return;
    }
    app_.setDirectory(folderSlot, QFileInfo(chosen.first()).absolutePath().toStdString());
    std::vector<std::string> paths;
    paths.reserve(static_cast<size_t>(chosen.size()));
    for (const QString& path : chosen) {
        paths.push_back(path.toStdString());
    }
    AEWaveImport::fillImportList(paths, importList_);
    window_.view().setTransportEnabled(false);
    addReport_ = {};
    addJob_ = AEAddToProject::start(*project, app_.fileManager(), importList_, &addReport_);
    startJob(std::move(busy));
}

// --- CD import ---------------------------------------------------------------------------

bool AEDialogCommands::importFromCd() {
    if (cdImport_) {
        return false;
    }
    finishingCd_.reset(); // its files have been added: the program is not busy
    const AECDImport::Target target{
        &importList_, window_.projectLoaded() ? app_.project() : nullptr, &app_.fileManager()};
    auto* dialog = new AECDImportDialog(
        target, window_.fileChooser(), [this](int32_t id) { return text(id); },
        [this] { window_.redraw(); }, &window_);
    dialog->setWindowModality(Qt::ApplicationModal);
    connect(dialog, &QDialog::finished, this, [this, dialog] { cdDialogClosed(dialog); });
    cdImport_ = dialog;
    dialog->start();
    dialog->show();
    return true;
}

void AEDialogCommands::cdDialogClosed(AECDImportDialog* dialog) {
    std::unique_ptr<AECDImport> import = dialog->takeImport();
    import->close();
    AEBackgroundJob* adding = import->addJob();
    if (adding && !adding->finished()) {
        // Destroying the run would wait for the files to be added: keep it until then.
        finishingCd_ = std::move(import);
        poll_.start();
    }
    cdImport_ = nullptr;
    dialog->deleteLater();
}

// --- Threads -----------------------------------------------------------------------------

void AEDialogCommands::collect() {
    if (exportJob_ && exportJob_->finished()) {
        finishExport();
    }
    if (flacJob_ && flacJob_->finished()) {
        lastFlacExport_ = static_cast<AEFlacExport::Result>(flacJob_->wait());
        flacJob_.reset();
        // An export that could not open the title has not said why.
        if (lastFlacExport_ == AEFlacExport::kNoTitle ||
            lastFlacExport_ == AEFlacExport::kCannotRead) {
            app_.alert(text(kStringExportFailed).toStdString() + "\n" + exportPath_);
        }
    }
    if (discJob_ && discJob_->finished()) {
        const auto result = static_cast<AEDiscImage::Result>(discJob_->wait());
        discJob_.reset();
        if (result != AEDiscImage::kWritten && result != AEDiscImage::kCancelled) {
            app_.alert(text(AEDiscImage::messageId(result)).toStdString() + "\n" + exportPath_);
        }
    }
    if (albumJob_ && albumJob_->finished()) {
        finishAlbumExport();
    }
    if (addJob_ && addJob_->finished()) {
        addJob_->wait();
        addJob_.reset();
    }
    if (finishingCd_ && finishingCd_->addJob()->finished()) {
        finishingCd_.reset();
    }
    if (!working()) {
        poll_.stop();
        jobBusy_.reset();
    }
}

void AEDialogCommands::startJob(AEBusyGuard busy) {
    jobBusy_.emplace(std::move(busy));
    poll_.start();
}
