#include "AERangeExport.h"

#include "AEAudiofile.h"
#include "AEBusyGuard.h"
#include "AETitleRangeReader.h"
#include "ProjectHost.h"

#include "AppHost.h"
#include "FPendingFile.h"

#include <vector>

namespace {

constexpr int32_t kStringDiskFull = 3008;

AEFileCopy::Result copyRange(AETitleRangeReader& reader, AEAudiofile& out, int32_t frames) {
    std::vector<int16_t> block(static_cast<size_t>(AERangeExport::kStepFrames) * 2);
    ProjectHost::Progress progress((frames + AERangeExport::kStepFrames - 1) /
                                   AERangeExport::kStepFrames);
    while (reader.left() > 0) {
        if (ProjectHost::cancelRequested()) {
            return AEFileCopy::kCancelled;
        }
        const int32_t got = reader.read(block.data(), AERangeExport::kStepFrames);
        if (got <= 0) {
            return AEFileCopy::kReadFailed;
        }
        if (out.writeStereo(block.data(), got) != got) {
            return AEFileCopy::kDiskFull;
        }
        progress.advance();
    }
    return AEFileCopy::kCopied;
}

AEFileCopy::Result writeOpen(AETitleRangeReader& reader, const AETitleRange& range,
                             const std::string& path) {
    // The temporary name ends in ".wav": the file's kind follows its name.
    FPendingFile pending(path, path + ".saving.wav");
    AEAudiofile out(pending.pendingPath());
    if (!out.create()) {
        return AEFileCopy::kOpenFailed;
    }
    const AEFileCopy::Result result = copyRange(reader, out, range.frames);
    // Closed before the pending file goes, kept or not; the header's lengths go last.
    if (!out.close() && result == AEFileCopy::kCopied) {
        return AEFileCopy::kDiskFull;
    }
    if (result != AEFileCopy::kCopied) {
        return result;
    }
    return pending.commit() ? AEFileCopy::kCopied : AEFileCopy::kDiskFull;
}

} // namespace

namespace AERangeExport {

AEFileCopy::Result writeWave(const AETitleRange& range, const std::string& path) {
    if (range.frames <= 0) {
        return AEFileCopy::kTooShort;
    }
    AEBusyGuard busy;
    ProjectHost::setCancelRequested(false);
    ProjectHost::post(AppHost::kTagBusyStart);
    AETitleRangeReader reader(range);
    const AEFileCopy::Result result =
        reader.open() ? writeOpen(reader, range, path) : AEFileCopy::kOpenFailed;
    if (result == AEFileCopy::kDiskFull) {
        ProjectHost::showString(kStringDiskFull);
    } else if (result == AEFileCopy::kReadFailed) {
        ProjectHost::log("WAVE export failed: the title's audio could not be read to its end");
    }
    busy.release();
    ProjectHost::post(AppHost::kTagBusyEnd);
    return result;
}

std::unique_ptr<AEBackgroundJob> writeWaveInBackground(const AETitleRange& range,
                                                       const std::string& path) {
    return std::make_unique<AEBackgroundJob>(
        [range, path] { return static_cast<int32_t>(writeWave(range, path)); });
}

} // namespace AERangeExport
