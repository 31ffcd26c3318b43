#include "AEEditOperations.h"

#include "AEBusyGuard.h"
#include "AEEngineAccess.h"
#include "AEFileClaim.h"
#include "AEFileManager.h"
#include "AEProject.h"
#include "ProjectHost.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr int32_t kStringTooManyTitles = 3000;
constexpr int32_t kStringDiskFull = 3008;
constexpr int32_t kStringDeleteFiles = 3052;
constexpr int32_t kStringRemoveTitle = 3053;
constexpr int32_t kStringRecorded = 3055;
constexpr int32_t kNothingRemoved = -2;

} // namespace

namespace AEEditOperations {

std::string makeTitleBaseName(std::string directory, int32_t number, const AEProject* project) {
    if (directory.empty() || directory.back() != '/') {
        directory += '/';
    }
    for (int64_t n = number;; ++n) {
        char name[32];
        std::snprintf(name, sizeof name, "Title_%02lld", static_cast<long long>(n));
        const std::string base = directory + name;
        // Any file of that name is taken, readable or not, and so is a name a title refers
        // to while its drive is away: recording would replace it.
        if (!AEFileClaim::taken(base + ".wav", project)) {
            return base;
        }
    }
}

RecordingPlan prepareRecording(AEProject& project, const AEFileManager& files) {
    RecordingPlan plan;
    if (project.titleCount() >= AEProject::kMaxTitles) {
        plan.refusal = kStringTooManyTitles;
    } else if (!files.hasRoomForFrames(kRecordReserveFrames)) {
        plan.refusal = kStringDiskFull;
    } else if (!project.addTitle(true)) {
        plan.refusal = kStringTooManyTitles;
    }
    if (plan.refusal != 0) {
        ProjectHost::showString(plan.refusal);
        return plan;
    }
    plan.index = project.currentTitle();
    AETitle& title = *project.title(plan.index);
    title.setAudioBase(makeTitleBaseName(project.baseDirectory(), plan.index, &project));
    title.setArtist(ProjectHost::text(kStringRecorded));
    title.setStateCode(AETitleProcessState::kNotProcessed);
    for (int k = 0; k < AETitle::kFadePoints; ++k) {
        title.setFadePoint(k, 0);
    }
    for (int slot = 0; slot < AETitle::kSlots; ++slot) {
        title.setProcessorEnabled(slot, false);
        title.setProcessorParam(slot, 0);
    }
    plan.path = title.currentAudioPath();
    plan.maxRecordFrames = files.freeSpaceKB() * 256;
    files.loadIntoEngine(plan.index);
    return plan;
}

int32_t removeTitle(AEProject& project, const AEFileManager& files, int32_t index,
                    bool deleteFiles) {
    if (!project.deleteTitle(index, deleteFiles)) {
        return kNothingRemoved;
    }
    if (project.titleCount() == 0) {
        return -1;
    }
    const int32_t next = std::min(index, project.titleCount() - 1);
    project.select(next);
    files.loadIntoEngine(next);
    return project.currentTitle();
}

int32_t deleteSelectedTitle(AEProject& project, const AEFileManager& files, bool deleteFiles) {
    AEEngineAccess* engine = AEEngineAccess::current();
    if ((engine && engine->isPlayingOrRecording()) || ProjectHost::busy() ||
        project.titleCount() == 0) {
        return kNothingRemoved;
    }
    const bool confirmed = [deleteFiles] {
        const AEBusyGuard busy;
        return ProjectHost::ask(deleteFiles ? kStringDeleteFiles : kStringRemoveTitle);
    }();
    if (!confirmed) {
        return kNothingRemoved;
    }
    for (int32_t i = project.titleCount() - 1; i >= 0; --i) {
        if (project.isSelected(i)) {
            return removeTitle(project, files, i, deleteFiles);
        }
    }
    return kNothingRemoved;
}

} // namespace AEEditOperations
