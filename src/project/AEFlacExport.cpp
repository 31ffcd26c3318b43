#include "AEFlacExport.h"

#include "AEBusyGuard.h"
#include "AEFileManager.h"
#include "AEProject.h"
#include "AETitleRangeReader.h"
#include "ProjectHost.h"

#include "AppHost.h"
#include "EncodedFileWriter.h"
#include "FPendingFile.h"
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

// What an export writes, planned on the caller's thread: the title's range and its tags.
struct Plan {
    AETitleRange range;
    std::string name;
    std::string artist;
};

AEFlacExport::Result plan(const AEFileManager& files, int32_t index, Plan& planned) {
    const AEProject* project = files.project();
    if (!project || !project->title(index)) {
        return AEFlacExport::kNoTitle;
    }
    const AETitle& title = *project->title(index);
    if (!AETitleRange::of(title, planned.range)) {
        return AEFlacExport::kCannotRead;
    }
    // A title that plays its whole file is exported as the file is, as the WAVE export
    // copies it.
    if (planned.range.wholeFile()) {
        planned.range.fades = false;
    }
    planned.name = title.displayName();
    planned.artist = title.artist();
    return AEFlacExport::kWritten;
}

AEFlacExport::Result encode(AETitleRangeReader& source, EncodedFileWriter& writer, int32_t frames) {
    std::vector<int16_t> block(static_cast<size_t>(AEFlacExport::kStepFrames) * 2);
    ProjectHost::Progress progress(frames / AEFlacExport::kStepFrames);
    while (source.left() > 0) {
        if (ProjectHost::cancelRequested()) {
            return AEFlacExport::kCancelled;
        }
        const int32_t got = source.read(block.data(), AEFlacExport::kStepFrames);
        if (got <= 0) {
            return AEFlacExport::kCannotRead;
        }
        if (!writer.write(block.data(), got)) {
            return AEFlacExport::kCannotWrite;
        }
        progress.advance();
    }
    return AEFlacExport::kWritten;
}

AEFlacExport::Result exportOpen(AETitleRangeReader& source, const Plan& planned,
                                const std::string& path) {
    FPendingFile pending(path);
    auto writer = EncodedFileWriter::create(pending.pendingPath(), EncodedFormat::kFlac, kTitleRate,
                                            2, planned.name, planned.artist);
    if (!writer) {
        return AEFlacExport::kCannotWrite;
    }
    const AEFlacExport::Result result = encode(source, *writer, planned.range.frames);
    if (result != AEFlacExport::kWritten) {
        return result;
    }
    if (!writer->close() || !readsBackWhole(pending.pendingPath(), planned.range.frames) ||
        !pending.commit()) {
        return AEFlacExport::kCannotWrite;
    }
    return AEFlacExport::kWritten;
}

AEFlacExport::Result exportPlanned(const Plan& planned, const std::string& path) {
    AETitleRangeReader source(planned.range);
    if (!source.open()) {
        return AEFlacExport::kCannotRead;
    }
    AEBusyGuard busy;
    ProjectHost::setCancelRequested(false);
    ProjectHost::post(AppHost::kTagBusyStart);
    const AEFlacExport::Result result = exportOpen(source, planned, path);
    if (result == AEFlacExport::kCannotWrite) {
        ProjectHost::showString(kStringCannotWrite);
    } else if (result == AEFlacExport::kCannotRead) {
        ProjectHost::log("FLAC export failed: the title's audio could not be read to its end");
    }
    busy.release();
    ProjectHost::post(AppHost::kTagBusyEnd);
    return result;
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
    Plan planned;
    const Result result = plan(files, index, planned);
    return result == kWritten ? exportPlanned(planned, path) : result;
}

std::unique_ptr<AEBackgroundJob> exportTitleInBackground(const AEFileManager& files, int32_t index,
                                                         const std::string& path) {
    // Planned here, so the thread never touches the project.
    Plan planned;
    const Result result = plan(files, index, planned);
    return std::make_unique<AEBackgroundJob>([result, planned, path] {
        return static_cast<int32_t>(result == kWritten ? exportPlanned(planned, path) : result);
    });
}

} // namespace AEFlacExport
