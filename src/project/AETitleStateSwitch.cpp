#include "AETitleStateSwitch.h"

#include "AEFileManager.h"
#include "AETitle.h"

namespace AETitleStateSwitch {

bool run(AETitle& title) {
    if (title.stateCode() == AETitleProcessState::kNotProcessed) {
        title.setProcessedPath(title.originalAudioPath());
        title.setStateCode(AETitleProcessState::kProcessed);
        return true;
    }
    // Only a readable processed file may replace the recording: the title would
    // otherwise lose the one file it can play.
    const std::string processed = title.processedPath();
    if (!AETitle::hasWavExtension(processed)) {
        return false;
    }
    const int32_t frames = AEFileManager::framesOf(processed);
    if (frames < kMinimumFrames) {
        return false;
    }
    title.setAudioBase(processed.substr(0, processed.size() - 4));
    title.setFadePoint(0, 0);
    title.setFadePoint(1, kFadeFrames);
    title.setFadePoint(2, frames - kFadeFrames);
    title.setFadePoint(3, frames);
    title.setStateCode(AETitleProcessState::kNotProcessed);
    title.setLength(frames);
    return true;
}

} // namespace AETitleStateSwitch
