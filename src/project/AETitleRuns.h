#pragma once

#include "AERunResult.h"
#include "AETitleRunOutcome.h"
#include "AETitleRunPlan.h"

#include "FShared.h"
#include "LoudnessTarget.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class AEProject;

// What a run over several titles came to, title by title in the order given.
struct AETitleRunsSummary {
    std::vector<AERunResult> results;
    bool cancelled = false;

    int32_t count(AERunResult result) const;
};

// Processing, normalizing to full scale, normalizing loudness (AELoudnessRun), and
// measuring loudness alone.
enum class AETitleRunKind { kProcess, kNormalize, kLoudness, kMeasureLoudness };

// The runs of several titles as the window thread planned them (AETitleRunPlan), in order.
struct AETitleBatch {
    AETitleRunKind kind = AETitleRunKind::kProcess;
    std::vector<AETitleRunPlan> plans;
    // What loudness normalizing aims at.
    LoudnessTarget loudness;
};

// Window thread: plans the runs of `indices` and clears the cancel flag, so the worker that
// runs them needs nothing more of the project.
AETitleBatch planTitleRuns(AETitleRunKind kind, const AEProject& project,
                           const std::string& projectPath, const std::vector<int32_t>& indices,
                           const LoudnessTarget& loudness = {});

// Hands a done title's outcome on: to the window in message 22 (postOutcome), or applied at
// once on gleam-cli's one thread.
using AETitleOutcomeDelivery = std::function<void(const FRef<AETitleRunOutcome>&)>;
// Sends message 22 with the outcome: the window applies it before it redraws.
void postOutcome(const FRef<AETitleRunOutcome>& outcome);

// Runs a planned batch on the calling thread (the window's worker), processing up to
// `jobs` titles at once on threads of their own (each run has its own processors, so the
// files are the same whatever `jobs` is) with one progress display for all, normalizing
// one title after the other, each with its own progress. As each title is done, on the
// calling thread: its repair report (message 40, when there is one), `deliver` (message 22
// with the outcome), message 21. At the end: message 22, then 11, or 26 when the user
// cancelled. A title that fails is reported and the others go on, except that no new
// title starts once the disk is full or the user cancelled.
AETitleRunsSummary runTitleBatch(AETitleBatch& batch, int32_t jobs,
                                 const AETitleOutcomeDelivery& deliver);

// Titles processed at once unless told otherwise: one per processor core (the window's
// Process all and gleam-cli's `project … process`; --jobs overrides).
int32_t defaultTitleJobs();

// Planned, run and applied on the calling thread (gleam-cli, tests): each done title's
// outcome is applied to `project` before its message 22.
AETitleRunsSummary processTitles(AEProject& project, const std::string& projectPath,
                                 const std::vector<int32_t>& indices, int32_t jobs = 1);
AETitleRunsSummary normalizeTitles(AEProject& project, const std::string& projectPath,
                                   const std::vector<int32_t>& indices);
// kLoudness or kMeasureLoudness.
AETitleRunsSummary loudnessTitles(AETitleRunKind kind, AEProject& project,
                                  const std::string& projectPath,
                                  const std::vector<int32_t>& indices,
                                  const LoudnessTarget& target);

// Every title of the project, in order.
std::vector<int32_t> allTitles(const AEProject& project);
