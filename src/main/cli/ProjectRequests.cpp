// gleam-cli project FILE.dat import|export-tracklist|export, and the helpers the project
// requests share. Import takes WAVE, FLAC, Ogg Vorbis, Opus and MP3 files (converted to
// 44.1 kHz 16-bit stereo as needed); export writes WAVE, or FLAC when OUT ends in .flac.
#include "ProjectRequests.h"

#include "AEAddToProject.h"
#include "AEExport.h"
#include "AEFileCopy.h"
#include "AEFileManager.h"
#include "AEFlacExport.h"
#include "AEImportList.h"
#include "AEProject.h"
#include "AEWaveImport.h"
#include "CliCommand.h"
#include "CliSession.h"

#include "FFileSystem.h"
#include "FFileType.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace ProjectCli {

std::string absolutePath(const std::string& path) {
    std::error_code error;
    const auto absolute = std::filesystem::absolute(path, error);
    return error ? path : absolute.lexically_normal().string();
}

bool takeOption(std::vector<std::string>& args, const char* option, std::string& value) {
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == option) {
            if (i + 1 >= args.size()) {
                return false;
            }
            value = args[i + 1];
            args.erase(args.begin() + static_cast<std::ptrdiff_t>(i),
                       args.begin() + static_cast<std::ptrdiff_t>(i) + 2);
            return true;
        }
    }
    return true;
}

std::unique_ptr<AEProject> loadProject(const std::string& path) {
    AEProject::LoadReport report;
    auto project = AEProject::load(path, &report);
    if (!project) {
        Cli::fail("project: \"" + path + "\" " + report.error);
        return nullptr;
    }
    for (const auto& name : report.removedTitles) {
        Cli::fail("project: removed title \"" + name + "\": its audio is shorter than 7 seconds");
    }
    for (const auto& file : report.missingFiles) {
        Cli::fail("project: audio missing (the title stays): \"" + file + "\"");
    }
    return project;
}

bool saveProject(const AEProject& project, const std::string& path) {
    bool written = false;
    project.save(path, &written);
    if (!written) {
        Cli::fail("project: cannot write \"" + path + "\"");
    }
    return written;
}

bool exportAllowed(const AEProject& project, const std::vector<int32_t>& indices,
                   const std::vector<std::string>& outs) {
    if (const std::string missing = project.missingAudio(indices); !missing.empty()) {
        Cli::fail("project: the audio file of a title is missing: \"" + missing + "\"");
        return false;
    }
    for (const std::string& out : outs) {
        if (project.refersTo(out)) {
            Cli::fail("project: \"" + out +
                      "\" belongs to a title of the project; not overwritten");
            return false;
        }
    }
    return true;
}

int32_t titleIndex(const AEProject& project, const std::string& number) {
    char* end = nullptr;
    const long value = std::strtol(number.c_str(), &end, 10);
    if (number.empty() || *end != '\0' || value < 1 || value > project.titleCount()) {
        Cli::fail("project: no title " + number + " (the project has " +
                  std::to_string(project.titleCount()) + " titles, numbered from 1)");
        return -1;
    }
    return static_cast<int32_t>(value - 1);
}

bool ChosenTitle::load(const std::string& path, const std::string& number) {
    project = loadProject(path);
    index = project ? titleIndex(*project, number) : -1;
    files.setProject(project.get());
    return index >= 0;
}

int importFiles(const std::string& path, const std::vector<std::string>& files, bool quiet) {
    if (files.empty()) {
        return Cli::fail("project: import needs at least one audio file", 2);
    }
    CliSession session(quiet);
    auto project = loadProject(path);
    if (!project) {
        return 1;
    }
    if (project->titleCount() >= AEProject::kMaxTitles) {
        return Cli::fail("project: the project already holds 99 titles");
    }
    std::vector<std::string> paths;
    for (const auto& file : files) {
        paths.push_back(absolutePath(file));
    }
    AEImportList list;
    const auto refused = AEWaveImport::fillImportList(paths, list);
    for (const auto& file : refused) {
        Cli::fail("project: refused \"" + file.path + "\": " + AEWaveImport::reason(file.refusal));
    }
    session.deliver();

    AEFileManager manager;
    manager.setProject(project.get());
    session.setProgressLabel("import");
    const AEAddToProject::Report report = AEAddToProject::run(*project, manager, list);
    session.deliver();
    for (const auto& file : report.skipped) {
        Cli::fail("project: could not add \"" + file + "\"");
    }
    if (report.left > 0) {
        Cli::fail("project: " + std::to_string(report.left) +
                  " files not added: a project holds at most 99 titles");
    }
    if (report.added > 0 && !saveProject(*project, path)) {
        return 1;
    }
    std::printf("%s: %d titles added, %d in the project\n", path.c_str(), report.added,
                project->titleCount());
    return refused.empty() && report.skipped.empty() && report.left == 0 ? 0 : 1;
}

int exportTracklist(const std::string& path, const std::vector<std::string>& args, bool quiet) {
    if (args.size() != 1) {
        return Cli::fail("project: usage: project FILE.dat export-tracklist OUT.txt", 2);
    }
    CliSession session(quiet);
    auto project = loadProject(path);
    if (!project) {
        return 1;
    }
    if (project->titleCount() == 0) {
        return Cli::fail("project: the project has no titles to list");
    }
    const std::string out = absolutePath(args[0]);
    if (!exportAllowed(*project, {}, {out})) {
        return 1;
    }
    if (!AEExport::exportTitleList(project.get(), out, session.app().cdCapacitySeconds())) {
        return Cli::fail("project: cannot write \"" + out + "\"");
    }
    std::printf("%s\n", out.c_str());
    return 0;
}

// The FLAC export of `export N OUT.flac`.
int exportFlac(CliSession& session, const ChosenTitle& chosen, const std::string& number,
               const std::string& out) {
    auto job = AEFlacExport::exportTitleInBackground(chosen.files, chosen.index, out);
    const auto result = static_cast<AEFlacExport::Result>(job->wait());
    session.deliver();
    switch (result) {
    case AEFlacExport::kWritten:
        std::printf("%s: %lld bytes\n", out.c_str(),
                    static_cast<long long>(FFileSystem::size(out)));
        return 0;
    case AEFlacExport::kCancelled:
        return Cli::fail("project: export cancelled");
    case AEFlacExport::kCannotWrite:
        return 1; // the application's own line has said so
    case AEFlacExport::kNoTitle:
    case AEFlacExport::kCannotRead:
        break;
    }
    return Cli::fail("project: cannot read the audio of title " + number + " (\"" +
                     chosen.files.getFileName(chosen.index) + "\") to its end");
}

int exportTitle(const std::string& path, const std::vector<std::string>& args, bool quiet) {
    if (args.size() != 2) {
        return Cli::fail("project: usage: project FILE.dat export N OUT.wav|OUT.flac", 2);
    }
    CliSession session(quiet);
    ChosenTitle chosen;
    if (!chosen.load(path, args[0])) {
        return 1;
    }
    const std::string out = absolutePath(args[1]);
    if (!exportAllowed(*chosen.project, {chosen.index}, {out})) {
        return 1;
    }
    session.setProgressLabel("export");
    if (FFileType::fromPath(out).extension == AEFlacExport::kExtension) {
        return exportFlac(session, chosen, args[0], out);
    }
    auto job = AEExport::exportTitleAudio(chosen.files, chosen.index, out);
    const auto result = static_cast<AEFileCopy::Result>(job->wait());
    session.deliver();
    switch (result) {
    case AEFileCopy::kCopied:
        std::printf("%s: %lld bytes\n", out.c_str(),
                    static_cast<long long>(FFileSystem::size(out)));
        return 0;
    case AEFileCopy::kTooShort:
        return Cli::fail("project: the audio of title " + args[0] + " is too short to export");
    case AEFileCopy::kOpenFailed:
        return Cli::fail("project: cannot read \"" + chosen.files.getFileName(chosen.index) +
                         "\" or create \"" + out + "\"");
    case AEFileCopy::kCancelled:
        return Cli::fail("project: export cancelled");
    case AEFileCopy::kDiskFull:
        return 1; // the application's own line has said so
    case AEFileCopy::kReadFailed:
        break;
    }
    return Cli::fail("project: cannot read \"" + chosen.files.getFileName(chosen.index) +
                     "\" to its end");
}

} // namespace ProjectCli
