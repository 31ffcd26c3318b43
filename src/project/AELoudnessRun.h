#pragma once

#include "AETitleRunPlan.h"
#include "AETitleRuns.h"

#include <cstdint>
#include <string>

class AEProject;

// Loudness normalizing of titles (EBU R128): every planned title's range, as it plays, is
// measured first; then each gets the gain that brings it to the target (album mode: the one
// gain that brings all of them together to it), limited so that no true peak exceeds the
// ceiling, and is written as a new processed file, measured again as it is written (and
// written again when it misses: AERangeRender::renderToTarget). The new file holds what
// the title played, trim and fades applied, so its fade points become unset. Measuring
// alone (kMeasureLoudness) leaves the audio as it is. One progress display for all;
// a cancel stops before the next block, and a title's file is moved into place only once
// complete. A title of digital silence (nothing to measure) is left as it is
// (kNothingToDo).

// Window thread: the plan of title `index` (its range; its new file's name claimed when
// `write`).
AETitleRunPlan planLoudness(const AEProject& project, int32_t index, const std::string& projectPath,
                            bool write);

// Worker thread: runs a kLoudness or kMeasureLoudness batch; each title's outcome goes to
// `done` as the title is done.
void runLoudness(AETitleBatch& batch, AETitleRunsSummary& summary,
                 const AETitleOutcomeDelivery& done);
