#pragma once

#include "AERunResult.h"
#include "AETitleRunOutcome.h"
#include "AETitleRunPlan.h"

#include "FShared.h"

#include <atomic>
#include <cstdint>
#include <string>

class AEProcessedFile;
class AEProject;

// Normalizes `sourcePath` (any audio file the program reads at 44 100 Hz) into `output` in
// two passes: the first finds the loudest sample of either channel, the second applies
// the one gain that brings it to full scale to both channels and writes the result. A
// cancel in the first pass writes nothing; one in the second leaves no file. `gain`, when
// given, receives the gain applied.
AERunResult normalizeFile(const std::string& sourcePath, AEProcessedFile& output,
                          std::atomic<int64_t>* batchSteps = nullptr, float* gain = nullptr);

// Window thread: the normalizing run of title `index` as a worker will run it (its source,
// its new file's name claimed as a processing run's), or why it cannot run.
AETitleRunPlan planNormalizing(const AEProject& project, int32_t index,
                               const std::string& projectPath);
// Any thread: runs a plan without touching the project; the outcome carries the new file
// and its length.
FRef<AETitleRunOutcome> runNormalizing(AETitleRunPlan& plan,
                                       std::atomic<int64_t>* batchSteps = nullptr);

// The normalizing run of title `index` on the calling thread, planned, run and applied:
// all of its current audio becomes a new processed file, which the title then plays; its
// fade points become unset. An earlier processed file of the title that no title names any
// more is deleted. Any other outcome leaves the title as it was and no file behind.
AERunResult normalizeTitle(AEProject& project, int32_t index, const std::string& projectPath,
                           std::atomic<int64_t>* batchSteps = nullptr);
