// gleam-cli cd list|copy: the CD drives (and the images named in GLEAM_CD_IMAGES) with
// their tracks, and the copy of audio tracks into WAVE files, optionally added to a
// project as titles.
#include "AECDImport.h"
#include "AECDImportView.h"
#include "AEFileManager.h"
#include "AEImportList.h"
#include "AEProject.h"
#include "CliCommand.h"
#include "CliRunSupport.h"
#include "CliSession.h"
#include "ProjectRequests.h"

#include "CddaDriveList.h"
#include "FNPath.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <set>

namespace {

constexpr const char* kUsage =
    "cd list [--drive N] | cd copy --drive N --tracks 1,3-5 --to PATTERN.wav [--project FILE.dat]";
constexpr int32_t kMaxTrack = 99;

int noDrives() {
    return Cli::fail("cd: no CD drive found, and no CD image named in GLEAM_CD_IMAGES");
}

// Drive numbers count from 1 on the command line.
bool parseDrive(const std::string& text, int32_t& drive) {
    double value = 0.0;
    if (!CliRun::parseNumber("cd", "drive", text, 1, 1000, value)) {
        return false;
    }
    if (value != std::floor(value)) {
        Cli::fail("cd: --drive takes a whole number, not \"" + text + "\"", 2);
        return false;
    }
    drive = static_cast<int32_t>(value);
    return true;
}

// "1,3-5" → {1, 3, 4, 5}.
bool parseTracks(const std::string& text, std::set<int32_t>& tracks) {
    size_t begin = 0;
    while (begin <= text.size()) {
        size_t end = text.find(',', begin);
        if (end == std::string::npos) {
            end = text.size();
        }
        const std::string part = text.substr(begin, end - begin);
        char* rest = nullptr;
        const long first = std::strtol(part.c_str(), &rest, 10);
        long last = first;
        if (*rest == '-') {
            last = std::strtol(rest + 1, &rest, 10);
        }
        if (part.empty() || *rest != '\0' || first < 1 || last < first || last > kMaxTrack) {
            Cli::fail("cd: --tracks takes track numbers from 1 to 99 such as 1,3-5, not \"" + text +
                          "\"",
                      2);
            return false;
        }
        for (long track = first; track <= last; ++track) {
            tracks.insert(static_cast<int32_t>(track));
        }
        begin = end + 1;
    }
    return !tracks.empty();
}

void printDrive(int32_t index) {
    AECDDriveLists lists;
    lists.fill(index);
    const CddaDriveInfo* info = lists.driveMap()->info(index);
    std::printf("drive %d: %s %s (%s)\n", index + 1, info->vendor.c_str(), info->product.c_str(),
                info->source.c_str());
    if (lists.rowCount() == 0) {
        std::printf("  no readable disc\n");
    }
    for (int32_t row = 0; row < lists.rowCount(); ++row) {
        const bool data = lists.slot(row).type != kCddaAudioTrack;
        std::printf("  %02d  %s  %s%s\n", row + 1, lists.rowText(row, 0).c_str(),
                    lists.rowText(row, 1).c_str(), data ? "  data" : "");
    }
}

int listDrives(const std::vector<std::string>& args, bool quiet) {
    CliRun::Arguments parsed;
    if (!CliRun::splitArguments("cd", args, {"drive"}, parsed)) {
        return 2;
    }
    if (!parsed.plain.empty()) {
        return Cli::fail(std::string("cd: usage: ") + kUsage, 2);
    }
    int32_t drive = 0;
    if (!parsed.values[0].empty() && !parseDrive(parsed.values[0], drive)) {
        return 2;
    }
    CliSession session(quiet);
    const CddaDriveList drives;
    if (drives.count() == 0) {
        return noDrives();
    }
    if (drive > drives.count()) {
        return Cli::fail("cd: no drive " + std::to_string(drive) + " (there are " +
                         std::to_string(drives.count()) + ")");
    }
    for (int32_t i = 0; i < drives.count(); ++i) {
        if (drive == 0 || drive == i + 1) {
            printDrive(i);
        }
    }
    return 0;
}

// The progress bar of the track being copied; Ctrl-C stops the copy.
class CliCopyView : public AECDImportView {
public:
    CliCopyView(CliSession& session, bool quiet) : session_(session), quiet_(quiet) {}
    void attach(AECDImport* import) { import_ = import; }

    void setCopyControlsEnabled(bool) override {}
    void showProgress(int32_t position, const std::string&) override {
        if (session_.app().cancelRequested() && import_) {
            import_->stop();
        }
        if (position > 0) {
            const std::string label = "copy " + FNPath(import_->currentFile()).fileName();
            Cli::progress(label.c_str(), position, kProgressRange, quiet_);
            drawn_ = true;
        } else if (drawn_) {
            Cli::progressDone(quiet_);
            drawn_ = false;
        }
    }

private:
    CliSession& session_;
    AECDImport* import_ = nullptr;
    bool quiet_;
    bool drawn_ = false;
};

// Tells what became of the copied files the copy added to the project, and saves it.
int finishProject(const AECDImport& import, AEProject& project, const std::string& path) {
    const AEAddToProject::Report& report = import.addReport();
    for (const auto& file : report.skipped) {
        Cli::fail("cd: could not add \"" + file + "\" to the project");
    }
    if (report.left > 0) {
        Cli::fail("cd: " + std::to_string(report.left) +
                  " files not added: a project holds at most 99 titles");
    }
    if (report.added > 0 && !ProjectCli::saveProject(project, path)) {
        return 1;
    }
    std::printf("%s: %d titles added, %d in the project\n", path.c_str(), report.added,
                project.titleCount());
    return report.skipped.empty() && report.left == 0 ? 0 : 1;
}

int copyTracks(const std::vector<std::string>& args, bool quiet) {
    CliRun::Arguments parsed;
    if (!CliRun::splitArguments("cd", args, {"drive", "tracks", "to", "project"}, parsed)) {
        return 2;
    }
    if (!parsed.plain.empty() || parsed.values[1].empty() || parsed.values[2].empty()) {
        return Cli::fail(std::string("cd: usage: ") + kUsage, 2);
    }
    int32_t drive = 1;
    std::set<int32_t> tracks;
    if ((!parsed.values[0].empty() && !parseDrive(parsed.values[0], drive)) ||
        !parseTracks(parsed.values[1], tracks)) {
        return 2;
    }
    CliSession session(quiet);
    CliRun::InterruptCancels interrupt(session.app());
    std::unique_ptr<AEProject> project;
    const std::string projectPath =
        parsed.values[3].empty() ? std::string() : ProjectCli::absolutePath(parsed.values[3]);
    if (!projectPath.empty() && !(project = ProjectCli::loadProject(projectPath))) {
        return 1;
    }
    AEFileManager files;
    files.setProject(project.get());
    AEImportList list;
    CliCopyView view(session, quiet);
    AECDImport import({&list, project.get(), &files}, &view);
    view.attach(&import);
    import.setImportName(ProjectCli::absolutePath(parsed.values[2]));
    import.setSelectedReader(drive - 1);
    import.setAddToProject(project != nullptr);
    import.fillLists();

    const AECDDriveLists& lists = import.lists();
    if (lists.driveCount() == 0) {
        return noDrives();
    }
    if (drive > lists.driveCount()) {
        return Cli::fail("cd: no drive " + std::to_string(drive) + " (there are " +
                         std::to_string(lists.driveCount()) + ")");
    }
    if (lists.rowCount() == 0) {
        return Cli::fail("cd: drive " + std::to_string(drive) + " has no readable disc");
    }
    for (const int32_t track : tracks) {
        if (track > lists.rowCount()) {
            return Cli::fail("cd: the disc has no track " + std::to_string(track) + " (it has " +
                             std::to_string(lists.rowCount()) + ")");
        }
        import.setRowSelected(track - 1, true);
    }

    const AECDImport::Report report = import.copyTracks();
    session.deliver();
    for (const int32_t track : report.dataTracks) {
        std::fprintf(stderr, "gleam-cli: cd: track %d is a data track: not copied\n", track);
    }
    for (const auto& file : report.files) {
        std::printf("%s\n", file.c_str());
    }
    if (report.stopped) {
        return Cli::fail("cd: copy stopped; the unfinished track's file was removed");
    }
    const int status =
        project && report.addedToProject ? finishProject(import, *project, projectPath) : 0;
    return report.failedTracks.empty() ? status : 1;
}

int runCd(const std::vector<std::string>& arguments) {
    std::vector<std::string> args = arguments;
    const bool quiet = Cli::takeQuiet(args);
    if (args.empty()) {
        return Cli::fail(std::string("cd: usage: ") + kUsage, 2);
    }
    const std::string request = args.front();
    args.erase(args.begin());
    if (request == "list") {
        return listDrives(args, quiet);
    }
    if (request == "copy") {
        return copyTracks(args, quiet);
    }
    return Cli::fail("cd: unknown request \"" + request + "\"; usage: " + kUsage, 2);
}

const CliRegistration kCd({"cd", kUsage, "list CD drives and tracks, copy audio tracks", runCd});

} // namespace
