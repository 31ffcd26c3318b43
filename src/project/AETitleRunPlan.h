#pragma once

#include "AEProcessedFile.h"
#include "AERunResult.h"
#include "AETitleRange.h"

#include "ProcessingSettings.h"

#include <cstdint>
#include <memory>
#include <string>

class AEProject;
class AETitle;

// One title's processing or normalizing run as the window thread prepares it before a
// worker starts: what the run needs from the title, read then, and the new file's name,
// claimed then. The worker reads nothing else of the project.
struct AETitleRunPlan {
    int32_t index = -1;
    // Why the run cannot start (kDone: it can).
    AERunResult refused = AERunResult::kDone;
    // The file the title plays, which the run reads.
    std::string source;
    // What a processing run does (unused by normalizing).
    ProcessingSettings settings;
    // What a loudness run reads: the title's range as it plays.
    AETitleRange range;
    // Blocks a processing run reads.
    int64_t blocks = 0;
    std::unique_ptr<AEProcessedFile> output;

    // The plan of title `index` as every run starts it: refused with kNoSuchTitle or
    // kMissingAudio, or with its source, the file the title plays.
    static AETitleRunPlan of(const AEProject& project, int32_t index);

    // Claims the new file's name beside the project's titles, named after `title`'s
    // recording and the project file; refused with kCannotWrite when no name can be had.
    void claimOutput(const AEProject& project, const AETitle& title,
                     const std::string& projectPath);
};
