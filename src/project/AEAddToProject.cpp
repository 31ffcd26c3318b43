#include "AEAddToProject.h"

#include "AEBusyGuard.h"
#include "AEFileManager.h"
#include "AEFormatImport.h"
#include "AEImportList.h"
#include "AEMonoToStereo.h"
#include "AEProject.h"
#include "AEProjectOutcome.h"
#include "AETitle.h"
#include "AppHost.h"
#include "ProjectHost.h"

#include "WaveFileHandler.h"

namespace {

// Adds one waiting file; false when it had to be skipped.
bool addFile(AEProject& project, const AEFileManager& files, std::string path) {
    WavePcmFormat format;
    WaveFileHandler::probeWaveFormat(path, format);
    if (WaveFileHandler::isCdMonoFormat(format)) {
        if (!convertMonoToStereo(path, project.baseDirectory(), &project)) {
            return false;
        }
    } else if (!(WaveFileHandler::isCdStereoFormat(format) && AETitle::hasWavExtension(path)) &&
               !AEFormatImport::convertToTitleFormat(path, project.baseDirectory(), &project)) {
        // (A title plays a ".wav" file: one in the program's own format under another name,
        // "take.wave", is copied like any other.)
        return false;
    }
    return files.newImportFile(path) && project.addImportedFile(path);
}

// The titles a run on its own thread made, added to the window's project when message 4 is
// handled; the program stays busy until then.
class AddedTitles : public AEProjectOutcome {
public:
    AddedTitles(std::vector<std::string> paths, AEBusyGuard busy)
        : paths_(std::move(paths)), busy_(std::move(busy)) {}
    void apply(AEProject& project) override {
        for (const std::string& path : paths_) {
            project.addImportedFile(path);
        }
    }

private:
    std::vector<std::string> paths_;
    AEBusyGuard busy_;
};

// The routine's loop, adding to `project` (the caller's own, or a snapshot); the files of
// the titles added go to `added`.
AEAddToProject::Report addFiles(AEProject& project, const AEFileManager& files, AEImportList& list,
                                std::vector<std::string>& added) {
    AEAddToProject::Report report;
    ProjectHost::setCancelRequested(false);
    list.adding = true;
    for (int32_t i = 0; i < AEImportList::kEntries; ++i) {
        const std::string path = list.entry(i);
        if (path.empty()) {
            continue;
        }
        if (project.titleCount() >= AEProject::kMaxTitles) {
            break;
        }
        if (ProjectHost::cancelRequested()) {
            report.cancelled = true;
            break;
        }
        if (addFile(project, files, path)) {
            ++report.added;
            added.push_back(project.sourcePath(project.titleCount() - 1));
        } else {
            report.skipped.push_back(path);
        }
        list.clearEntry(i);
    }
    report.left = list.pending();
    list.adding = false;
    list.importPending = true;
    return report;
}

} // namespace

namespace AEAddToProject {

Report run(AEProject& project, const AEFileManager& files, AEImportList& list) {
    const AEBusyGuard busy;
    std::vector<std::string> added;
    Report report = addFiles(project, files, list, added);
    ProjectHost::post(AppHost::kTagEndOfOperation);
    return report;
}

std::unique_ptr<AEBackgroundJob> start(std::unique_ptr<AEProject> snapshot,
                                       const AEFileManager& files, AEImportList& list,
                                       Report* report) {
    // Shared, as the job's work is copied: made here, so the program is busy from now on.
    auto busy = std::make_shared<AEBusyGuard>();
    std::shared_ptr<AEProject> project = std::move(snapshot);
    return std::make_unique<AEBackgroundJob>([project, busy, &files, &list, report] {
        std::vector<std::string> paths;
        Report done = addFiles(*project, files, list, paths);
        const auto added = static_cast<int32_t>(paths.size());
        if (report) {
            *report = std::move(done);
        }
        ProjectHost::post(
            AppHost::kTagEndOfOperation, 0,
            FRef<FShared>::adopt(new AddedTitles(std::move(paths), std::move(*busy))));
        return added;
    });
}

std::unique_ptr<AEBackgroundJob> start(const AEProject& project, const AEFileManager& files,
                                       AEImportList& list, Report* report) {
    return start(project.snapshot(), files, list, report);
}

} // namespace AEAddToProject
