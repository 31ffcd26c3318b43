#include "AEFlacExport.h"

#include "AEAudiofile.h"
#include "AEBusyGuard.h"
#include "AEFileManager.h"
#include "AEProject.h"
#include "ProjectHost.h"

#include "AppHost.h"
#include "FPendingFile.h"
#include "FlacFileWriter.h"
#include "SoundFileReader.h"

#include <algorithm>
#include <vector>

namespace {

constexpr int32_t kStringDialogTitle = 3144;
constexpr int32_t kStringDialogFilter = 3145;
constexpr int32_t kStringCannotWrite = 3146;
constexpr int32_t kTitleRate = 44100;

// True when the file at `path` decodes to `frames` stereo frames at the title rate: the
// encoder reports some write failures only when it is closed, if at all.
bool readsBackWhole(const std::string& path, int64_t frames) {
    const auto check = SoundFileReader::open(path);
    return check && check->info().frames == frames && check->info().channels == 2 &&
           check->info().sampleRate == kTitleRate;
}

AEFlacExport::Result encode(AEAudiofile& source, FlacFileWriter& writer) {
    const int32_t frames = source.getLength();
    std::vector<int16_t> block(static_cast<size_t>(AEFlacExport::kStepFrames) * 2);
    ProjectHost::Progress progress(frames / AEFlacExport::kStepFrames);
    for (int32_t left = frames; left > 0;) {
        if (ProjectHost::cancelRequested()) {
            return AEFlacExport::kCancelled;
        }
        const int32_t want = std::min(left, AEFlacExport::kStepFrames);
        if (source.readStereo(block.data(), want) != want) {
            return AEFlacExport::kCannotRead;
        }
        if (!writer.write(block.data(), want)) {
            return AEFlacExport::kCannotWrite;
        }
        left -= want;
        progress.advance();
    }
    return AEFlacExport::kWritten;
}

AEFlacExport::Result exportOpen(AEAudiofile& source, const AEProject& project, int32_t index,
                                const std::string& path) {
    FPendingFile pending(path);
    auto writer = FlacFileWriter::create(pending.pendingPath(), kTitleRate, 2,
                                         project.displayName(index), project.artist(index));
    if (!writer) {
        return AEFlacExport::kCannotWrite;
    }
    const AEFlacExport::Result result = encode(source, *writer);
    if (result != AEFlacExport::kWritten) {
        return result;
    }
    if (!writer->close() || !readsBackWhole(pending.pendingPath(), source.getLength()) ||
        !pending.commit()) {
        return AEFlacExport::kCannotWrite;
    }
    return AEFlacExport::kWritten;
}

} // namespace

namespace AEFlacExport {

std::string dialogTitle() {
    return ProjectHost::text(kStringDialogTitle);
}

std::string dialogFilter() {
    return ProjectHost::text(kStringDialogFilter);
}

Result exportTitle(const AEFileManager& files, int32_t index, const std::string& path) {
    const AEProject* project = files.project();
    if (!project || !project->title(index)) {
        return kNoTitle;
    }
    AEAudiofile source(files.getFileName(index));
    if (!source.openForRead()) {
        return kCannotRead;
    }
    AEBusyGuard busy;
    ProjectHost::setCancelRequested(false);
    ProjectHost::post(AppHost::kTagBusyStart);
    const Result result = exportOpen(source, *project, index, path);
    if (result == kCannotWrite) {
        ProjectHost::showString(kStringCannotWrite);
    } else if (result == kCannotRead) {
        ProjectHost::log("FLAC export failed: the title's audio could not be read to its end");
    }
    busy.release();
    ProjectHost::post(AppHost::kTagBusyEnd);
    return result;
}

std::unique_ptr<AEBackgroundJob> exportTitleInBackground(const AEFileManager& files, int32_t index,
                                                         const std::string& path) {
    return std::make_unique<AEBackgroundJob>(
        [&files, index, path] { return static_cast<int32_t>(exportTitle(files, index, path)); });
}

} // namespace AEFlacExport
