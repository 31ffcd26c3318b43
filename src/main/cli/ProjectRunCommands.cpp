#include "ProjectRunCommands.h"

#include "AEProject.h"
#include "AETitleRuns.h"
#include "CliCommand.h"
#include "CliRestorationMode.h"
#include "CliRunSupport.h"
#include "CliSession.h"
#include "ProjectRequests.h"

#include <algorithm>
#include <cstdio>
#include <optional>

namespace {

enum class Run { kProcess, kNormalize, kLoudness };

struct RunRow {
    const char* name;
    const char* usage;
    std::vector<std::string> options; // with a value each
};

const RunRow& rowOf(Run run) {
    static const RunRow rows[] = {
        {"process", " [--jobs J] [--mode classic|enhanced]", {"jobs", "mode"}},
        {"normalize", "", {}},
        {"normalize-loudness", " --target LUFS [--album]", {"target"}},
    };
    return rows[static_cast<int>(run)];
}

// The titles "N" (numbered from 1, as the list shows them) or "all" name; empty after
// printing why when there is no such title.
std::vector<int32_t> chooseTitles(const AEProject& project, const std::string& which) {
    if (which == "all") {
        return allTitles(project);
    }
    const int32_t index = ProjectCli::titleIndex(project, which);
    return index < 0 ? std::vector<int32_t>{} : std::vector<int32_t>{index};
}

// One line per title run: its number, name and what became of it.
int report(const AEProject& project, const std::vector<int32_t>& titles,
           const AETitleRunsSummary& summary, bool one, const std::string& command) {
    int status = 0;
    for (size_t i = 0; i < titles.size(); ++i) {
        const AERunResult result = summary.results[i];
        const AETitle& title = *project.title(titles[i]);
        if (result == AERunResult::kDone) {
            // A title whose loudness is known by now gets it in a fourth column.
            const std::optional<double> loudness = title.loudness();
            std::printf("%02d\t%s\t%s", titles[i] + 1, title.displayName().c_str(),
                        title.processedPath().c_str());
            std::printf(loudness ? "\t%.1f LUFS\n" : "\n", loudness.value_or(0.0));
            continue;
        }
        // Processing all skips the titles that have nothing left to do.
        if (result == AERunResult::kNothingToDo && !one) {
            continue;
        }
        status = 1;
        if (result != AERunResult::kCancelled || one) {
            char number[16];
            std::snprintf(number, sizeof number, "%02d", titles[i] + 1);
            CliRun::failRun(command, std::string("title ") + number, result);
        }
    }
    if (summary.cancelled) {
        Cli::fail(command + ": cancelled");
        status = 1;
    }
    return status;
}

int runTitles(Run run, const std::string& path, const std::vector<std::string>& arguments,
              bool quiet) {
    const RunRow& row = rowOf(run);
    const std::string command = std::string("project ") + row.name;
    std::vector<std::string> rest = arguments;
    LoudnessTarget target;
    if (const auto album = std::find(rest.begin(), rest.end(), "--album");
        run == Run::kLoudness && album != rest.end()) {
        target.album = true;
        rest.erase(album);
    }
    CliRun::Arguments args;
    if (!CliRun::splitArguments(command, rest, row.options, args)) {
        return 2;
    }
    if (args.plain.size() != 1 || (run == Run::kLoudness && args.values[0].empty())) {
        return Cli::fail(command + ": usage: project FILE.dat " + row.name + " N|all" + row.usage,
                         2);
    }
    double jobs = defaultTitleJobs();
    if (run == Run::kProcess && !args.values[0].empty() &&
        !CliRun::parseNumber(command, "jobs", args.values[0], 1, 64, jobs)) {
        return 2;
    }
    if (run == Run::kLoudness &&
        !CliRun::parseNumber(command, "target", args.values[0], LoudnessTarget::kLowest,
                             LoudnessTarget::kHighest, target.lufs)) {
        return 2;
    }
    if (run == Run::kProcess) {
        // Every title run of this command restores in this mode.
        const auto mode = CliRun::restorationMode(command, args.values[1]);
        if (!mode) {
            return 2;
        }
        RestorationChoice::set(*mode);
    }

    // Loaded before the application exists, so the titles it drops are told here, once.
    auto project = ProjectCli::loadProject(path);
    if (!project) {
        return 1;
    }
    const std::vector<int32_t> titles = chooseTitles(*project, args.plain[0]);
    if (titles.empty()) {
        return project->titleCount() == 0 ? 0 : 2;
    }

    CliSession session(quiet);
    session.setProgressLabel(row.name);
    if (!session.startAlgorithmLibrary()) {
        return 1;
    }
    AETitleRunsSummary summary;
    {
        CliRun::InterruptCancels interrupt(session.app());
        switch (run) {
        case Run::kProcess:
            summary = processTitles(*project, path, titles, static_cast<int32_t>(jobs));
            break;
        case Run::kNormalize:
            summary = normalizeTitles(*project, path, titles);
            break;
        case Run::kLoudness:
            summary = loudnessTitles(AETitleRunKind::kLoudness, *project, path, titles, target);
            break;
        }
    }
    session.deliver();
    const int status = report(*project, titles, summary, args.plain[0] != "all", command);
    return ProjectCli::saveProject(*project, path) ? status : 1;
}

} // namespace

namespace ProjectRunCommands {

int normalizeLoudness(const std::string& path, const std::vector<std::string>& args, bool quiet) {
    return runTitles(Run::kLoudness, path, args, quiet);
}

int process(const std::string& path, const std::vector<std::string>& args, bool quiet) {
    return runTitles(Run::kProcess, path, args, quiet);
}

int normalize(const std::string& path, const std::vector<std::string>& args, bool quiet) {
    return runTitles(Run::kNormalize, path, args, quiet);
}

} // namespace ProjectRunCommands
