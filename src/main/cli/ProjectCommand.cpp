// gleam-cli project FILE.dat REQUEST: makes a new empty project file, lists a project's
// titles as the title list numbers them (with the time left on an 80-minute disc), or
// passes the request to the one that imports, edits titles or exports (ProjectRequests).
#include "AEApplication.h"
#include "AEProject.h"
#include "AETimeText.h"
#include "CliCommand.h"
#include "ProjectAlbumRequests.h"
#include "ProjectDiscRequests.h"
#include "ProjectRequests.h"
#include "ProjectRunCommands.h"
#include "RestorationStages.h"

#include "FFileSystem.h"

#include <cstdio>

namespace {

using ProjectCli::absolutePath;
using ProjectCli::takeOption;

const std::string kUsage =
    "project FILE.dat create [--title T] [--base DIR] | list | import FILE... | "
    "set N [--name T] [--artist A] [--pause S] [--fades A,B,C,D] " +
    restorationStageUsage() +
    " | move N up|down | "
    "remove N [--delete-files] | export-tracklist OUT.txt | export N OUT.wav|OUT.flac | "
    "process N|all [--jobs J] [--mode classic|enhanced] | normalize N|all | "
    "normalize-loudness N|all --target LUFS [--album] | "
    "export-album DIR [--format flac|opus|mp3|wav] [--titles 1,3-5] [--loudness LUFS] "
    "[--album-gain] [--cover IMAGE] [--overwrite] | "
    "split N [--min-silence S] [--threshold DB] [--min-title S] | export-disc OUT.cue";

int create(const std::string& path, std::vector<std::string> options) {
    std::string title;
    std::string base;
    if (!takeOption(options, "--title", title) || !takeOption(options, "--base", base)) {
        return Cli::fail("project: --title and --base need a value", 2);
    }
    if (!options.empty()) {
        return Cli::fail("project: unknown argument \"" + options[0] + "\" (" + kUsage + ")", 2);
    }
    if (FFileSystem::exists(path)) {
        return Cli::fail("project: \"" + path + "\" already exists");
    }
    auto project = AEProject::createForPath(path);
    if (!title.empty()) {
        project->setProjectTitle(title);
    }
    if (!base.empty()) {
        base = absolutePath(base);
        project->setBaseDirectory(base.back() == '/' ? base : base + "/");
    }
    bool written = false;
    project->save(path, &written);
    if (!written) {
        return Cli::fail("project: cannot write \"" + path + "\"");
    }
    std::printf("%s: \"%s\", base directory %s\n", path.c_str(), project->projectTitle().c_str(),
                project->baseDirectory().c_str());
    return 0;
}

int list(const std::string& path) {
    auto project = ProjectCli::loadProject(path);
    if (!project) {
        return 1;
    }
    std::printf("%s\n", project->projectTitle().c_str());
    for (int32_t i = 0; i < project->titleCount(); ++i) {
        const AETitle& title = *project->title(i);
        // A title whose audio is away gets a seventh column.
        std::printf("%02d\t%s\t%s\t%s\t%s\t%s%s\n", i + 1, title.displayName().c_str(),
                    title.artist().c_str(), title.pauseSeconds().c_str(),
                    AETimeText::minutesSeconds(title.playingLength()).c_str(),
                    title.processState().isProcessed() ? "processed" : "not processed",
                    title.audioMissing() ? "\tmissing" : "");
    }
    std::string total;
    const int32_t capacity = AEApplication::kCdCapacitySeconds;
    project->totalTime(total, capacity);
    const int64_t left = int64_t{capacity} * AETimeText::kFramesPerSecond - project->totalFrames();
    std::printf("Total time\t%s\nRemaining\t%s\n", total.c_str(),
                AETimeText::minutesSeconds(left).c_str());
    return 0;
}

int runProject(const std::vector<std::string>& arguments) {
    std::vector<std::string> args = arguments;
    const bool quiet = Cli::takeQuiet(args);
    if (args.size() < 2) {
        return Cli::fail(std::string("project: usage: ") + kUsage, 2);
    }
    const std::string path = absolutePath(args[0]);
    const std::string command = args[1];
    if (command == "create") {
        return create(path, std::vector<std::string>(args.begin() + 2, args.end()));
    }
    if (command == "list") {
        if (args.size() > 2) {
            return Cli::fail("project: list takes no further argument", 2);
        }
        return list(path);
    }
    const std::vector<std::string> rest(args.begin() + 2, args.end());
    if (command == "import") {
        return ProjectCli::importFiles(path, rest, quiet);
    }
    if (command == "set") {
        return ProjectCli::setTitle(path, rest);
    }
    if (command == "move") {
        return ProjectCli::moveTitle(path, rest);
    }
    if (command == "remove") {
        return ProjectCli::removeTitle(path, rest);
    }
    if (command == "export-tracklist") {
        return ProjectCli::exportTracklist(path, rest, quiet);
    }
    if (command == "export") {
        return ProjectCli::exportTitle(path, rest, quiet);
    }
    if (command == "split") {
        return ProjectCli::splitTitle(path, rest, quiet);
    }
    if (command == "export-disc") {
        return ProjectCli::exportDisc(path, rest, quiet);
    }
    if (command == "process") {
        return ProjectRunCommands::process(path, rest, quiet);
    }
    if (command == "normalize") {
        return ProjectRunCommands::normalize(path, rest, quiet);
    }
    if (command == "normalize-loudness") {
        return ProjectRunCommands::normalizeLoudness(path, rest, quiet);
    }
    if (command == "export-album") {
        return ProjectCli::exportAlbum(path, rest, quiet);
    }
    return Cli::fail("project: unknown request \"" + command + "\" (" + kUsage + ")", 2);
}

const CliRegistration kProject({"project", "project FILE.dat REQUEST...",
                                "create, list, import into, edit, export from, process or "
                                "normalize a project (create|list|import|set|move|remove|"
                                "export-tracklist|export|process|normalize|normalize-loudness|"
                                "split|export-disc|export-album)",
                                runProject});

} // namespace
