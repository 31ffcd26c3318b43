#include "ProjectDiscRequests.h"

#include "AEDiscImage.h"
#include "AETimeText.h"
#include "AETitleSplit.h"
#include "CliCommand.h"
#include "CliSession.h"
#include "ProjectHost.h"
#include "ProjectRequests.h"

#include "FFileSystem.h"
#include "FNPath.h"

#include <cstdio>
#include <cstdlib>
#include <numeric>

namespace ProjectCli {

namespace {

constexpr const char* kSplitUsage =
    "project: usage: project FILE.dat split N [--min-silence SECONDS] [--threshold DB] "
    "[--min-title SECONDS]";

// A number option; false when it is given but is not a number within [low, high].
bool numberOption(std::vector<std::string>& args, const char* option, double low, double high,
                  double& value) {
    std::string text;
    if (!takeOption(args, option, text)) {
        return false;
    }
    if (text.empty()) {
        return true;
    }
    char* end = nullptr;
    const double number = std::strtod(text.c_str(), &end);
    if (end == text.c_str() || *end != '\0' || !(number >= low && number <= high)) {
        return false;
    }
    value = number;
    return true;
}

} // namespace

int splitTitle(const std::string& path, std::vector<std::string> args, bool quiet) {
    AESilenceSplit::Settings settings;
    double threshold = 0.0; // outside the option's range: not given
    if (!numberOption(args, "--min-silence", 0.1, 60.0, settings.minSilenceSeconds) ||
        !numberOption(args, "--threshold", -120.0, -1.0, threshold) ||
        !numberOption(args, "--min-title", 7.0, 4800.0, settings.minTitleSeconds) ||
        args.size() != 1) {
        return Cli::fail(std::string(kSplitUsage) +
                             " (min-silence 0.1..60, threshold -120..-1, min-title 7..4800)",
                         2);
    }
    if (threshold != 0.0) {
        settings.thresholdDb = threshold;
    }
    CliSession session(quiet);
    session.setProgressLabel("split");
    auto project = loadProject(path);
    if (!project) {
        return 1;
    }
    const int32_t index = titleIndex(*project, args[0]);
    if (index < 0) {
        return 1;
    }
    AETitleSplit::Proposal proposal;
    AETitleSplit::Result result = AETitleSplit::propose(*project, index, settings, proposal);
    if (result == AETitleSplit::kDone) {
        result = AETitleSplit::accept(*project, proposal);
    }
    session.deliver();
    if (result != AETitleSplit::kDone) {
        const int32_t id = AETitleSplit::messageId(result);
        return Cli::fail("project: " + (id ? ProjectHost::text(id) : std::string("cancelled")));
    }
    if (!saveProject(*project, path)) {
        return 1;
    }
    for (size_t s = 0; s < proposal.fades.size(); ++s) {
        const int32_t at = index + static_cast<int32_t>(s);
        const AETitle& made = *project->title(at);
        std::printf("%02d\t%s\t%s\t%s\n", at + 1, made.displayName().c_str(),
                    AETimeText::minutesSeconds(made.fadePoint(0)).c_str(),
                    AETimeText::minutesSeconds(made.playingLength()).c_str());
    }
    return 0;
}

int exportDisc(const std::string& path, const std::vector<std::string>& args, bool quiet) {
    if (args.size() != 1) {
        return Cli::fail("project: usage: project FILE.dat export-disc OUT.cue", 2);
    }
    const std::string out = absolutePath(args[0]);
    if (FNPath(out).extension() != "cue") {
        return Cli::fail("project: the disc image is named OUT.cue (its audio goes to OUT.bin)", 2);
    }
    CliSession session(quiet);
    session.setProgressLabel("export-disc");
    auto project = loadProject(path);
    if (!project) {
        return 1;
    }
    std::vector<int32_t> all(static_cast<size_t>(project->titleCount()));
    std::iota(all.begin(), all.end(), 0);
    if (!exportAllowed(*project, all, {out, FNPath(out).withExtension("bin")})) {
        return 1;
    }
    const auto result = AEDiscImage::exportImage(*project, out, session.app().cdCapacitySeconds());
    session.deliver();
    if (result == AEDiscImage::kCancelled) {
        return Cli::fail("project: cancelled");
    }
    if (result != AEDiscImage::kWritten) {
        return Cli::fail("project: " + ProjectHost::text(AEDiscImage::messageId(result)));
    }
    const std::string bin = FNPath(out).withExtension("bin");
    std::printf("%s\n%s: %lld bytes\n", out.c_str(), bin.c_str(),
                static_cast<long long>(FFileSystem::size(bin)));
    return 0;
}

} // namespace ProjectCli
