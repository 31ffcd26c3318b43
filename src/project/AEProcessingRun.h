#pragma once

#include "AERunResult.h"
#include "AETitleRunOutcome.h"
#include "AETitleRunPlan.h"

#include "FShared.h"
#include "ProcessingSettings.h"
#include "RepairReport.h"

#include <atomic>
#include <cstdint>
#include <string>

class AEProcessedFile;
class AEProject;
class AETitle;

// What a restoring run did, for gleam-cli and the window's status to show.
struct AERestoreReport {
    int64_t frames = 0;
    int32_t latency = 0;
    RepairReport clicks;
    RepairReport crackles;
    RepairReport noise;
    RestorationMode mode = RestorationMode::kClassic;
};

// One line in the user's language of what the repair stages that ran did, e.g.
// "Clicks repaired: 12 (340 samples), Noise lowered in passages: 800 (…)"; empty when
// none of them ran.
std::string repairSummary(const AERestoreReport& report, const ProcessingSettings& settings);

// Restores `sourcePath` (any audio file the program reads at 44 100 Hz; other sample
// formats and mono are converted on the way in) as `settings` say and writes the result
// to `output` as 16-bit stereo, moving it into place at the end. Reads and writes one
// block at a time; stops at the next block when the user cancels. `batchSteps`: see
// AERunProgress.
AERunResult restoreFile(const std::string& sourcePath, AEProcessedFile& output,
                        const ProcessingSettings& settings,
                        std::atomic<int64_t>* batchSteps = nullptr,
                        AERestoreReport* report = nullptr);

// What title `title` asks for: its stored values and switches, trimmed to its fade points
// unless its audio is already processed (then all of it, without fades), in the
// restoration mode chosen now (RestorationChoice).
ProcessingSettings titleSettings(const AETitle& title, int32_t sourceFrames);
// False for a title that is processed already and has no stage switched on.
bool wantsProcessing(const AETitle& title);

// Window thread: the processing run of title `index` as a worker will run it (its
// settings, its source, its new file's name claimed in the project's base directory, named
// after the title's recording and the project file `projectPath`), or why it cannot run.
AETitleRunPlan planProcessing(const AEProject& project, int32_t index,
                              const std::string& projectPath);
// Any thread: runs a plan without touching the project. The outcome carries the new file,
// its length and what the repair stages did (repairSummary, "Title 01: ..."); on any other
// result no file is left behind.
FRef<AETitleRunOutcome> runProcessing(AETitleRunPlan& plan,
                                      std::atomic<int64_t>* batchSteps = nullptr);

// The processing run of title `index` on the calling thread: planned, run and applied one
// after the other. On success the title plays the new file, its six switches are off, an
// earlier processed file of it that no title names any more is deleted, and the window's
// status tells what the repair stages did. Any other outcome leaves the title as it was
// and no file behind.
AERunResult processTitle(AEProject& project, int32_t index, const std::string& projectPath,
                         std::atomic<int64_t>* batchSteps = nullptr);
