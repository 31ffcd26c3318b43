// gleam-cli restore IN OUT [--click P] ... [--brilliance P]: restores an audio file as the
// processing run restores an imported title with these slider values (P from 0 to 1; a
// stage runs when its P is above 0), and writes OUT as 44 100 Hz 16-bit stereo in the format
// its extension names (WAVE, AIFF or FLAC). IN may be any file the import takes (FLAC, Ogg
// Vorbis, Opus, MP3, WAVE of any rate): it is converted as an import converts it first.
// With --manifest FILE, a line of what was done is appended to FILE (RestoreManifest).
//
// gleam-cli restore IN... --out-dir DIR [--jobs N]: a whole collection (RestoreCollection).
#include "AEProcessedFile.h"
#include "AEProcessingRun.h"
#include "AETimeText.h"
#include "AETitleRuns.h"
#include "CliCommand.h"
#include "CliRestorationMode.h"
#include "CliRunOutput.h"
#include "CliRunSupport.h"
#include "CliSession.h"
#include "RestorationStages.h"
#include "RestoreCollection.h"
#include "RestoreManifest.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cinttypes>
#include <cmath>
#include <cstdio>

namespace {

const std::string kControls = restorationStageUsage() + " [--mode classic|enhanced]";
const std::string kUsage = "restore IN OUT " + kControls + " [--manifest FILE] | restore IN... " +
                           "--out-dir DIR [--jobs N] " + kControls;

// The stages in slot order, then the repair stages' mode and the options of collections.
const std::vector<std::string> kOptionNames =
    restorationStageOptions({"mode", "out-dir", "jobs", "manifest"});
constexpr size_t kMode = kRestorationStages.size();
constexpr size_t kOutDir = kMode + 1;
constexpr size_t kJobs = kMode + 2;
constexpr size_t kManifest = kMode + 3;

// The controls as given (0 to 1) and the mode.
struct Controls {
    std::array<double, ProcessingSettings::kSlots> values{};
    RestorationMode mode = kDefaultRestorationMode;
};

bool readControls(const CliRun::Arguments& args, Controls& controls) {
    for (int32_t slot = 0; slot < ProcessingSettings::kSlots; ++slot) {
        const std::string& text = args.values[static_cast<size_t>(slot)];
        double& value = controls.values[static_cast<size_t>(slot)];
        const RestorationStage& stage = kRestorationStages[static_cast<size_t>(slot)];
        if (!text.empty() &&
            !CliRun::parseNumber("restore", stage.option, text, stage.low, stage.high, value)) {
            return false;
        }
    }
    const auto mode = CliRun::restorationMode("restore", args.values[kMode]);
    controls.mode = mode.value_or(kDefaultRestorationMode);
    return mode.has_value();
}

// The values as slider positions, so a file is restored exactly as a title with them.
ProcessingSettings settingsOf(const Controls& controls) {
    ProcessingSettings settings;
    for (int32_t slot = 0; slot < ProcessingSettings::kSlots; ++slot) {
        const auto position = static_cast<int32_t>(
            std::lround(controls.values[static_cast<size_t>(slot)] * kStagePositions));
        settings.values[slot] = ProcessingSettings::sliderValue(position);
        settings.enabled[slot] = position > 0;
    }
    settings.mode = controls.mode;
    return settings;
}

// The controls and the mode as options of restore, so every file of a collection is
// restored alike, whatever the stored mode becomes meanwhile.
std::vector<std::string> controlOptions(const Controls& controls) {
    std::vector<std::string> options;
    for (size_t slot = 0; slot < controls.values.size(); ++slot) {
        char value[32];
        std::snprintf(value, sizeof value, "%.17g", controls.values[slot]);
        options.insert(options.end(), {std::string("--") + kRestorationStages[slot].option, value});
    }
    options.insert(options.end(), {"--mode", restorationModeName(controls.mode)});
    return options;
}

std::string manifestLine(const std::string& manifest, const std::string& in, const std::string& out,
                         const Controls& controls, const AERestoreReport& report, double seconds) {
    using RestoreManifest::jsonString;
    std::string line = "{\"input\":" + jsonString(in) +
                       ",\"output\":" + jsonString(RestoreManifest::outputName(manifest, out)) +
                       ",\"settings\":{";
    char number[64];
    for (size_t slot = 0; slot < controls.values.size(); ++slot) {
        std::snprintf(number, sizeof number, "%s\"%s\":%g", slot == 0 ? "" : ",",
                      kRestorationStages[slot].option, controls.values[slot]);
        line += number;
    }
    line += "},\"mode\":" + jsonString(restorationModeName(report.mode)) + ",\"repairs\":{";
    std::snprintf(number, sizeof number, "\"clicks\":%" PRId64 ",\"click_samples\":%" PRId64 ",",
                  report.clicks.repairs, report.clicks.samples);
    line += number;
    std::snprintf(number, sizeof number,
                  "\"crackles\":%" PRId64 ",\"crackle_samples\":%" PRId64 ",",
                  report.crackles.repairs, report.crackles.samples);
    line += number;
    std::snprintf(number, sizeof number,
                  "\"noise_passages\":%" PRId64 ",\"noise_samples\":%" PRId64 "}",
                  report.noise.repairs, report.noise.samples);
    line += number;
    std::snprintf(number, sizeof number, ",\"frames\":%" PRId64 ",\"seconds\":%.3f}", report.frames,
                  seconds);
    return line + number;
}

void printReport(const std::string& out, const AERestoreReport& report) {
    std::printf("%s: %s restored (%s), %" PRId64 " clicks (%" PRId64 " samples) and %" PRId64
                " crackles (%" PRId64 " samples) repaired, noise lowered in %" PRId64
                " passages (%" PRId64 " samples)\n",
                out.c_str(), AETimeText::minutesSeconds(report.frames).c_str(),
                restorationModeName(report.mode), report.clicks.repairs, report.clicks.samples,
                report.crackles.repairs, report.crackles.samples, report.noise.repairs,
                report.noise.samples);
}

int restoreCollection(const CliRun::Arguments& args, const Controls& controls, bool quiet) {
    if (args.plain.empty() || !args.values[kManifest].empty()) {
        return Cli::fail(std::string("restore: usage: ") + kUsage, 2);
    }
    double jobs = defaultTitleJobs();
    if (!args.values[kJobs].empty() &&
        !CliRun::parseNumber("restore", "jobs", args.values[kJobs], 1, 64, jobs)) {
        return 2;
    }
    std::vector<RestoreCollection::Item> items;
    if (!RestoreCollection::plan(args.plain, args.values[kOutDir], items)) {
        return 2;
    }
    return RestoreCollection::run(items, args.values[kOutDir], controlOptions(controls),
                                  static_cast<int>(jobs), quiet);
}

int runRestore(const std::vector<std::string>& arguments) {
    const auto started = std::chrono::steady_clock::now();
    std::vector<std::string> all = arguments;
    const bool quiet = Cli::takeQuiet(all);
    CliRun::Arguments args;
    if (!CliRun::splitArguments("restore", all, kOptionNames, args)) {
        return 2;
    }
    Controls controls;
    if (!readControls(args, controls)) {
        return 2;
    }
    if (!args.values[kOutDir].empty()) {
        return restoreCollection(args, controls, quiet);
    }
    if (args.plain.size() != 2 || !args.values[kJobs].empty()) {
        return Cli::fail(std::string("restore: usage: ") + kUsage, 2);
    }
    const std::string& in = args.plain[0];
    const std::string& out = args.plain[1];
    ProcessingSettings settings = settingsOf(controls);
    CliRun::RunOutput output;
    if (!output.prepare("restore", out)) {
        return 2;
    }

    CliSession session(quiet);
    CliRun::InterruptCancels interrupt(session.app());
    session.setProgressLabel("convert");
    CliRun::RunInput input;
    if (!input.prepare("restore", in)) {
        return 2;
    }
    // An imported title: no trim, fade points 0, 0, length, length.
    const int32_t frames = input.frames();
    settings.trimTo(0, 0, frames, frames, frames);
    session.setProgressLabel("restore");
    if (!session.startAlgorithmLibrary()) {
        return 1;
    }
    AERestoreReport report;
    const AERunResult result =
        restoreFile(input.path(), output.runFile(), settings, nullptr, &report);
    if (result != AERunResult::kDone) {
        return CliRun::failRun("restore", "\"" + in + "\"", result);
    }
    if (!output.finish("restore")) {
        return 1;
    }
    const std::string& manifest = args.values[kManifest];
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    if (!manifest.empty() &&
        !RestoreManifest::append(manifest,
                                 manifestLine(manifest, in, out, controls, report, seconds))) {
        return Cli::fail("restore: cannot add a line to \"" + manifest + "\"");
    }
    printReport(out, report);
    return 0;
}

const CliRegistration kRestore({"restore", kUsage.c_str(),
                                "restore an audio file with the six restoration controls",
                                runRestore});

} // namespace
