#pragma once

#include "AEBackgroundJob.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class AEFileManager;
class AEImportList;
class AEProject;

// The routine that turns the files waiting in the import list into titles, shared by the
// audio import, the file drop on the title list and the CD import. For each waiting file,
// while the project holds fewer than 99 titles: a mono file is first copied to stereo in
// the project's base directory, a file in any other format converted there to a 44.1 kHz
// 16-bit stereo title file, the file's peak file is built and the title added. Each
// file taken is emptied from the list, whatever became of it; files that fail are
// skipped. The application is busy meanwhile (and its cancel flag stops the routine);
// at the end the list's import-pending flag is set and message 4 sent.
//
// On a thread of its own the routine works from a snapshot of the project and never
// touches the window's project: the titles travel in message 4 and are added when the
// window handles it (AEProjectOutcome), which also ends the busy state.
namespace AEAddToProject {

struct Report {
    int32_t added = 0;
    // Files taken but not added: the copy, the conversion or the peak file failed.
    std::vector<std::string> skipped;
    // Files left in the list because the project is full or the user cancelled.
    int32_t left = 0;
    bool cancelled = false;
};

// Runs on the calling thread, which owns `project`: the titles are added at once.
Report run(AEProject& project, const AEFileManager& files, AEImportList& list);
// Runs on a thread of its own from `snapshot` (AEProject::snapshot, taken on the window
// thread); `report`, when given, is filled before message 4 is sent. The program is busy
// from now until the window has added the titles. The job's result is the number of
// titles the window is to add.
std::unique_ptr<AEBackgroundJob> start(std::unique_ptr<AEProject> snapshot,
                                       const AEFileManager& files, AEImportList& list,
                                       Report* report = nullptr);
// The same from a snapshot of `project` taken now (window thread).
std::unique_ptr<AEBackgroundJob> start(const AEProject& project, const AEFileManager& files,
                                       AEImportList& list, Report* report = nullptr);

} // namespace AEAddToProject
