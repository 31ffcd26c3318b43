// The album export of the dialog commands (AEDialogCommands::exportAlbum).
#include "AEAlbumExportDialog.h"
#include "AEDialogCommands.h"
#include "AEMainWindow.h"

#include "AEAlbumFiles.h"
#include "AEApplication.h"
#include "AEBackgroundJob.h"
#include "ProjectHost.h"

#include <QDir>
#include <QFileInfo>

#include <filesystem>

namespace {

constexpr int32_t kStringReplace = 3359;
constexpr int32_t kStringExported = 3375;

} // namespace

void AEDialogCommands::exportAlbum() {
    AEProject* project = app_.project();
    if (albumJob_) {
        return;
    }
    AEBusyGuard busy;
    // A folder named after the album, in the folder of the last export.
    const QString start = QString::fromStdString(app_.directory(AEFlacExport::kDirectorySlot));
    const std::string name = AEAlbumFiles::safeName(project->projectTitle(), 200, "Album");
    AEAlbumExportDialog dialog(
        window_.fileChooser(), QDir(start).filePath(QString::fromStdString(name)),
        project->titleCount(), [this](int32_t id) { return text(id); }, &window_);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    AEAlbumExport::Plan plan;
    const AEAlbumExport::Result planned = AEAlbumExport::plan(*project, dialog.options(), plan);
    if (planned != AEAlbumExport::kWritten) {
        app_.alert(text(AEAlbumExport::messageId(planned)).toStdString());
        return;
    }
    if (const std::vector<std::string> existing = plan.existing(); !existing.empty()) {
        std::vector<std::string> names;
        for (const std::string& path : existing) {
            names.push_back(std::filesystem::path(path).filename().string());
        }
        if (!app_.askYesNoText(ProjectHost::textWith(kStringReplace, ProjectHost::lines(names)))) {
            return;
        }
        plan.options.overwrite = true;
    }
    app_.setDirectory(
        AEFlacExport::kDirectorySlot,
        QFileInfo(QString::fromStdString(plan.options.directory)).absolutePath().toStdString());
    exportPath_ = plan.options.directory;
    albumJob_ = AEAlbumExport::runInBackground(plan);
    startJob(std::move(busy));
}

void AEDialogCommands::finishAlbumExport() {
    lastAlbumExport_ = static_cast<AEAlbumExport::Result>(albumJob_->wait());
    albumJob_.reset();
    // Failures have been told by the export itself.
    if (lastAlbumExport_ == AEAlbumExport::kWritten) {
        window_.showStatus(ProjectHost::textWith(kStringExported, exportPath_));
    }
}
