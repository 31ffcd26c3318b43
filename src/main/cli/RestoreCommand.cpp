// gleam-cli restore IN OUT [--click P] ... [--brilliance P]: restores an audio file as the
// processing run restores an imported title with these slider values (P from 0 to 1; a
// stage runs when its P is above 0), and writes OUT as 44 100 Hz 16-bit stereo in the format
// its extension names (WAVE, AIFF or FLAC). IN may be any file the import takes (FLAC, Ogg
// Vorbis, Opus, MP3, WAVE of any rate): it is converted as an import converts it first.
#include "AEProcessedFile.h"
#include "AEProcessingRun.h"
#include "AETimeText.h"
#include "CliCommand.h"
#include "CliRestorationMode.h"
#include "CliRunOutput.h"
#include "CliRunSupport.h"
#include "CliSession.h"

#include <cinttypes>
#include <cmath>
#include <cstdio>

namespace {

constexpr const char* kUsage = "restore IN OUT [--click P] [--crackle P] [--noise P] [--bass P] "
                               "[--width P] [--brilliance P] [--mode classic|enhanced]";

// In slot order, then the repair stages' mode.
const std::vector<std::string> kStageNames = {"click", "crackle",    "noise", "bass",
                                              "width", "brilliance", "mode"};
constexpr size_t kMode = 6;

// The values as slider positions, so a file is restored exactly as a title with them.
bool readSettings(const CliRun::Arguments& args, ProcessingSettings& settings) {
    for (int32_t slot = 0; slot < ProcessingSettings::kSlots; ++slot) {
        const std::string& text = args.values[static_cast<size_t>(slot)];
        double value = 0.0;
        if (!text.empty() && !CliRun::parseNumber("restore", kStageNames[static_cast<size_t>(slot)],
                                                  text, 0.0, 1.0, value)) {
            return false;
        }
        const auto position = static_cast<int32_t>(std::lround(value * 1.0e6));
        settings.values[slot] = ProcessingSettings::sliderValue(position);
        settings.enabled[slot] = position > 0;
    }
    const auto mode = CliRun::restorationMode("restore", args.values[kMode]);
    settings.mode = mode.value_or(RestorationMode::kClassic);
    return mode.has_value();
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

int runRestore(const std::vector<std::string>& arguments) {
    std::vector<std::string> all = arguments;
    const bool quiet = Cli::takeQuiet(all);
    CliRun::Arguments args;
    if (!CliRun::splitArguments("restore", all, kStageNames, args)) {
        return 2;
    }
    if (args.plain.size() != 2) {
        return Cli::fail(std::string("restore: usage: ") + kUsage, 2);
    }
    const std::string& in = args.plain[0];
    const std::string& out = args.plain[1];
    ProcessingSettings settings;
    if (!readSettings(args, settings)) {
        return 2;
    }
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
    printReport(out, report);
    return 0;
}

const CliRegistration kRestore({"restore", kUsage,
                                "restore an audio file with the six restoration controls",
                                runRestore});

} // namespace
