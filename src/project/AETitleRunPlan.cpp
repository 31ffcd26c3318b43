#include "AETitleRunPlan.h"

#include "AEProject.h"

void AETitleRunPlan::claimOutput(const AEProject& project, const AETitle& title,
                                 const std::string& projectPath) {
    output = AEProcessedFile::claim(project.baseDirectory(), title.originalAudioPath(), projectPath,
                                    &project);
    if (!output) {
        refused = AERunResult::kCannotWrite;
    }
}

AETitleRunPlan AETitleRunPlan::of(const AEProject& project, int32_t index) {
    AETitleRunPlan plan;
    plan.index = index;
    const AETitle* title = project.title(index);
    if (!title) {
        plan.refused = AERunResult::kNoSuchTitle;
    } else if (!project.missingAudio({index}).empty()) {
        plan.refused = AERunResult::kMissingAudio;
    } else {
        plan.source = title->currentAudioPath();
    }
    return plan;
}
