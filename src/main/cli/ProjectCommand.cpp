// gleam-cli project FILE.dat create|list: makes a new empty project file, or lists a
// project's titles as the title list numbers them, with the time left on an 80-minute disc.
#include "AEApplication.h"
#include "AEProject.h"
#include "AETimeText.h"
#include "CliCommand.h"

#include "FFileSystem.h"

#include <cstdio>
#include <filesystem>

namespace {

constexpr const char* kUsage =
    "project FILE.dat create [--title T] [--base DIR] | project FILE.dat list";

std::string absolutePath(const std::string& path) {
    std::error_code error;
    const auto absolute = std::filesystem::absolute(path, error);
    return error ? path : absolute.lexically_normal().string();
}

// The value after `option` (removed from the arguments with it); false when the option
// is given without a value.
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
    AEProject::LoadReport report;
    auto project = AEProject::load(path, &report);
    if (!project) {
        return Cli::fail("project: \"" + path + "\" " + report.error);
    }
    for (const auto& name : report.removedTitles) {
        Cli::fail("project: removed title \"" + name +
                  "\": its audio is missing or shorter than 7 seconds");
    }
    std::printf("%s\n", project->projectTitle().c_str());
    for (int32_t i = 0; i < project->titleCount(); ++i) {
        const AETitle& title = *project->title(i);
        std::printf("%02d\t%s\t%s\t%s\t%s\t%s\n", i + 1, title.displayName().c_str(),
                    title.artist().c_str(), title.pauseSeconds().c_str(),
                    AETimeText::minutesSeconds(title.playingLength()).c_str(),
                    title.processState().isProcessed() ? "processed" : "not processed");
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
    Cli::takeQuiet(args);
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
    return Cli::fail("project: unknown request \"" + command + "\" (" + kUsage + ")", 2);
}

const CliRegistration kProject({"project", "project FILE.dat create|list",
                                "create an empty project, or list a project's titles", runProject});

} // namespace
