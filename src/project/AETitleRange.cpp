#include "AETitleRange.h"

#include "AEAudiofile.h"
#include "AERunSource.h"
#include "AETitle.h"

#include <algorithm>

bool AETitleRange::of(const AETitle& title, AETitleRange& range) {
    range = {};
    range.path = title.currentAudioPath();
    AEAudiofile source(range.path);
    if (openRunSource(source) != AERunResult::kDone) {
        return false;
    }
    range.fileFrames = std::max(source.getLength(), 0);
    // As playback: without a trim (points unset), the whole file, as it is.
    if (title.processState().isProcessed() || title.fadePoint(0) < 0 || title.fadePoint(3) < 0) {
        range.frames = range.fileFrames;
        return true;
    }
    // Points past the file's end or out of order play no further than the file.
    const int32_t a = std::clamp(title.fadePoint(0), 0, range.fileFrames);
    const int32_t d = std::clamp(title.fadePoint(3), a, range.fileFrames);
    range.start = a;
    range.frames = d - a;
    range.fades = true;
    range.fadePoints[0] = a;
    range.fadePoints[1] = std::clamp(title.fadePoint(1), a, d);
    range.fadePoints[2] = std::clamp(title.fadePoint(2), a, d);
    range.fadePoints[3] = d;
    return true;
}
