#include "AETitleRunOutcome.h"

#include "AEFileManager.h"
#include "AEProcessedFile.h"
#include "AEProject.h"

void AETitleRunOutcome::apply(AEProject& project) {
    if (result != AERunResult::kDone) {
        return;
    }
    AETitle* title = project.title(index);
    if (!title || title->currentAudioPath() != source) {
        if (!path.empty()) {
            AEFileManager::deleteAudioAndPeaks(path);
        }
        return;
    }
    if (kind == Kind::kMeasured) {
        if (loudness) {
            title->setLoudness(*loudness);
        }
        return;
    }
    if (kind == Kind::kProcessed) {
        for (int32_t slot = 0; slot < AETitle::kSlots; ++slot) {
            title->setProcessorEnabled(slot, false);
        }
    }
    AEProcessedFile::replaceTitleAudio(project, index, path);
    if (kind != Kind::kProcessed) {
        for (int32_t k = 0; k < AETitle::kFadePoints; ++k) {
            title->setFadePoint(k, -1);
        }
    }
    title->setLength(length);
    if (loudness) {
        title->setLoudness(*loudness);
    }
}
