#include "AEAddToProject.h"

#include "AEFileManager.h"
#include "AEFormatImport.h"
#include "AEImportList.h"
#include "AEMonoToStereo.h"
#include "AEProject.h"
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

} // namespace

namespace AEAddToProject {

Report run(AEProject& project, const AEFileManager& files, AEImportList& list) {
    Report report;
    ProjectHost::setBusy(true);
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
        } else {
            report.skipped.push_back(path);
        }
        list.clearEntry(i);
    }
    report.left = list.pending();
    ProjectHost::post(AppHost::kTagEndOfOperation);
    ProjectHost::setBusy(false);
    list.adding = false;
    list.importPending = true;
    return report;
}

std::unique_ptr<AEBackgroundJob> start(AEProject& project, const AEFileManager& files,
                                       AEImportList& list, Report* report) {
    return std::make_unique<AEBackgroundJob>([&project, &files, &list, report] {
        Report done = run(project, files, list);
        const int32_t added = done.added;
        if (report) {
            *report = std::move(done);
        }
        return added;
    });
}

} // namespace AEAddToProject
