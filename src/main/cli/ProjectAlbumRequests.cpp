#include "ProjectAlbumRequests.h"

#include "AEAlbumExport.h"
#include "CliCommand.h"
#include "CliRunSupport.h"
#include "CliSession.h"
#include "ProjectHost.h"
#include "ProjectRequests.h"

#include "LoudnessTarget.h"

#include <algorithm>
#include <cstdio>

namespace ProjectCli {

namespace {

const std::string kCommand = "project export-album";
constexpr const char* kUsage =
    "project: usage: project FILE.dat export-album DIR [--format flac|opus|mp3|wav] "
    "[--titles 1,3-5] [--loudness LUFS] [--album-gain] [--cover IMAGE] [--overwrite]";

// Removes `flag` from the arguments; whether it was there.
bool takeFlag(std::vector<std::string>& args, const char* flag) {
    const auto found = std::find(args.begin(), args.end(), flag);
    if (found == args.end()) {
        return false;
    }
    args.erase(found);
    return true;
}

// The options apart from the titles, which need the project; false after one line.
bool parseOptions(std::vector<std::string> rest, AEAlbumExport::Options& options,
                  std::string& titles) {
    options.albumGain = takeFlag(rest, "--album-gain");
    options.overwrite = takeFlag(rest, "--overwrite");
    CliRun::Arguments args;
    if (!CliRun::splitArguments(kCommand, rest, {"format", "titles", "loudness", "cover"}, args)) {
        return false;
    }
    if (args.plain.size() != 1) {
        Cli::fail(kUsage, 2);
        return false;
    }
    options.directory = absolutePath(args.plain[0]);
    if (!args.values[0].empty()) {
        const auto format = EncodedFormats::fromName(args.values[0]);
        if (!format) {
            Cli::fail(kCommand + ": --format is flac, opus, mp3 or wav, not \"" + args.values[0] +
                          "\"",
                      2);
            return false;
        }
        options.format = *format;
    }
    titles = args.values[1];
    if (!args.values[2].empty()) {
        double lufs = 0.0;
        if (!CliRun::parseNumber(kCommand, "loudness", args.values[2], LoudnessTarget::kLowest,
                                 LoudnessTarget::kHighest, lufs)) {
            return false;
        }
        options.loudness = lufs;
    } else if (options.albumGain) {
        Cli::fail(kCommand + ": --album-gain goes with --loudness LUFS", 2);
        return false;
    }
    if (!args.values[3].empty()) {
        options.coverPath = absolutePath(args.values[3]);
    }
    return true;
}

} // namespace

int exportAlbum(const std::string& path, const std::vector<std::string>& args, bool quiet) {
    AEAlbumExport::Options options;
    std::string titles;
    if (!parseOptions(args, options, titles)) {
        return 2;
    }
    auto project = loadProject(path);
    if (!project) {
        return 1;
    }
    if (!titles.empty() &&
        !AEAlbumExport::parseTitles(titles, project->titleCount(), options.titles)) {
        return Cli::fail(kCommand + ": --titles \"" + titles + "\" does not name titles of 1 to " +
                             std::to_string(project->titleCount()) + " (each once, as 1,3-5)",
                         2);
    }
    CliSession session(quiet);
    session.setProgressLabel("export-album");
    AEAlbumExport::Plan plan;
    AEAlbumExport::Result result = AEAlbumExport::plan(*project, options, plan);
    if (result == AEAlbumExport::kWritten && !options.overwrite) {
        const std::vector<std::string> existing = plan.existing();
        if (!existing.empty()) {
            return Cli::fail(kCommand + ": \"" + existing.front() + "\" exists" +
                             (existing.size() > 1
                                  ? " (and " + std::to_string(existing.size() - 1) + " more)"
                                  : std::string()) +
                             "; nothing written (--overwrite replaces them)");
        }
    }
    if (result != AEAlbumExport::kWritten) {
        return Cli::fail(kCommand + ": " + ProjectHost::text(AEAlbumExport::messageId(result)));
    }
    {
        CliRun::InterruptCancels interrupt(session.app());
        result = AEAlbumExport::run(plan);
    }
    // A failure has been told by the application's own line.
    session.deliver();
    if (result == AEAlbumExport::kCancelled) {
        return Cli::fail(kCommand + ": cancelled");
    }
    if (result != AEAlbumExport::kWritten) {
        return 1;
    }
    for (const std::string& out : plan.outputs()) {
        std::printf("%s\n", out.c_str());
    }
    return 0;
}

} // namespace ProjectCli
