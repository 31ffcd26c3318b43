#include "RemainingTime.h"

#include "AEProject.h"
#include "AETimeText.h"

std::string remainingTimeText(const AEProject* project, int32_t capacitySeconds) {
    if (!project) {
        return {};
    }
    const int64_t capacity = int64_t{capacitySeconds} * AETimeText::kFramesPerSecond;
    const int64_t remaining = capacity - (project->titleCount() > 0 ? project->totalFrames() : 0);
    if (remaining < 0) {
        return "-" + AETimeText::minutesSeconds(-remaining);
    }
    return AETimeText::minutesSeconds(remaining);
}
