#include "AEExport.h"

#include "AEFileCopy.h"
#include "AEFileManager.h"
#include "AERangeExport.h"
#include "AETimeText.h"
#include "ProjectHost.h"

#include "FFileSystem.h"
#include "FPendingFile.h"

namespace {

constexpr int32_t kStringTracklistOf = 3062;
constexpr int32_t kStringTotalTime = 3063;
constexpr int32_t kStringTotalTooLong = 3064;
constexpr int32_t kStringEndOfTracklist = 3065;

// Appended piece by piece: GCC 12 warns falsely (-Wrestrict) on chains of operator+.
void appendTwoDigits(std::string& text, int32_t number) {
    if (number < 10) {
        text += '0';
    }
    text += std::to_string(number);
}

} // namespace

namespace AEExport {

std::string titleListText(const AEProject& project, int32_t capacitySeconds) {
    std::string text =
        ProjectHost::text(kStringTracklistOf) + ":\n" + project.projectTitle() + "\n\n";
    for (int32_t i = 0; i < project.titleCount(); ++i) {
        appendTwoDigits(text, i + 1);
        for (const std::string& field :
             {project.artist(i), project.displayName(i), project.lengthText(i)}) {
            text += '\t';
            text += field;
        }
        text += '\n';
    }
    std::string total;
    if (project.totalTime(total, capacitySeconds)) {
        text += "\n" + ProjectHost::text(kStringTotalTime) + ": " + total + ".\n";
    } else {
        // The disc's real capacity, whatever it is.
        text += "\n" + ProjectHost::text(kStringTotalTooLong) + " " +
                std::to_string(capacitySeconds / 60) + " Min (" + total + ").\n";
    }
    return text + "\n" + ProjectHost::text(kStringEndOfTracklist) + "\n";
}

bool exportTitleList(const AEProject* project, const std::string& path, int32_t capacitySeconds) {
    if (!project || project->titleCount() == 0) {
        return false;
    }
    const std::string text = titleListText(*project, capacitySeconds);
    FPendingFile pending(path);
    auto stream = FFileSystem::create(pending.pendingPath());
    if (!stream) {
        return false;
    }
    const auto size = static_cast<int64_t>(text.size());
    const bool written = stream->write(text.data(), size) == size && stream->flush();
    stream.reset();
    return written && pending.commit();
}

std::unique_ptr<AEBackgroundJob> exportTitleAudio(const AEFileManager& files, int32_t index,
                                                  const std::string& path) {
    const AEProject* project = files.project();
    if (!project || !project->title(index)) {
        return nullptr;
    }
    // Planned here, so the thread never touches the project. A range that cannot be
    // planned is the copy's to report.
    AETitleRange range;
    if (AETitleRange::of(*project->title(index), range) && !range.wholeFile()) {
        return AERangeExport::writeWaveInBackground(range, path);
    }
    return AEFileCopy::copyFileInBackground(files.getFileName(index), path);
}

} // namespace AEExport
