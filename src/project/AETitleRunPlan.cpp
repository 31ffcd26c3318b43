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
