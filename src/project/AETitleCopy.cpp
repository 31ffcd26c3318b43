#include "AETitleCopy.h"

#include "AEAudiofile.h"
#include "AEFileClaim.h"
#include "ProjectHost.h"

#include "DiskSpace.h"
#include "FNPath.h"
#include "FPendingFile.h"

#include <optional>
#include <vector>

namespace {

constexpr int32_t kStringDiskFull = 3008;
constexpr int32_t kTagProgress = 18;
// Every tenth step tells the interface that work goes on.
constexpr int32_t kStepsPerMessage = 10;

// The copy needs its size plus a percent and 640 KB of headroom.
bool copyFits(int64_t frames, const std::string& directory) {
    const int64_t needKB = frames * 4 / 1024;
    return needKB + needKB / 100 + 640 < DiskSpace::freeKB(directory);
}

} // namespace

namespace AETitleCopy {

std::string targetPath(const std::string& source, std::string directory) {
    if (directory.empty() || directory.back() != '/') {
        directory += '/';
    }
    return directory + FNPath(source).fileName() + ".stereo.wav";
}

bool write(const Read& read, int32_t frames, std::string& target, const AEProject* project) {
    if (!copyFits(frames, FNPath(target).directory())) {
        ProjectHost::showString(kStringDiskFull);
        return false;
    }
    std::optional<AEFileClaim> claim = AEFileClaim::claim(target, project);
    if (!claim) {
        ProjectHost::log("copying to a title file failed: no free name for it");
        return false;
    }
    // Declared before the copy, so the copy is closed before an unfinished file goes.
    FPendingFile pending(claim->path(), AEFileClaim::writingPath(claim->path()));
    AEAudiofile copy(pending.pendingPath());
    if (!copy.create()) {
        return false;
    }
    std::vector<int16_t> stereo(static_cast<size_t>(kStepFrames) * 2);
    bool written = true;
    {
        ProjectHost::Progress progress(frames / kStepFrames);
        for (int32_t step = 1;; ++step) {
            if (ProjectHost::cancelRequested()) {
                return false;
            }
            const int32_t got = read(stereo.data(), kStepFrames);
            if (got < 0) {
                ProjectHost::log("copying to a title file failed: the source could not be read");
                return false;
            }
            if (got > 0 && copy.writeStereo(stereo.data(), got) != got) {
                written = false;
                break;
            }
            progress.advance();
            if (step % kStepsPerMessage == 0) {
                ProjectHost::post(kTagProgress);
            }
            if (got < kStepFrames) {
                break;
            }
        }
    }
    if (written && copy.getLength() != frames) {
        ProjectHost::log("copying to a title file failed: the source ended early");
        return false;
    }
    written = copy.close() && written;
    if (!written || !pending.commit()) {
        ProjectHost::showString(kStringDiskFull);
        return false;
    }
    claim->keep();
    target = claim->path();
    return true;
}

} // namespace AETitleCopy
