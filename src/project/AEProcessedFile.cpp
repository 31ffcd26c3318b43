#include "AEProcessedFile.h"

#include "AEFileClaim.h"
#include "AEFileManager.h"
#include "AEProject.h"

#include "DiskSpace.h"
#include "FFileSystem.h"
#include "FNPath.h"

#include <cstdio>
#include <optional>

namespace {

constexpr int64_t kLastCounter = 99999;
constexpr int64_t kHeadroomKB = 640;

// What the name is made of: directory with its "/", source name without ".wav", project
// name without its extension.
struct NameParts {
    std::string directory;
    std::string base;
    std::string tag;
};

NameParts nameParts(std::string directory, const std::string& sourceName,
                    const std::string& projectPath) {
    if (directory.empty()) {
        directory = "./"; // not the root
    } else if (directory.back() != '/') {
        directory += '/';
    }
    std::string base = FNPath(sourceName).fileName();
    if (base.size() > 4 && AETitle::hasWavExtension(base)) {
        base.resize(base.size() - 4);
    }
    std::string tag = FNPath(projectPath).fileName();
    if (tag.size() > 4) {
        tag.resize(tag.size() - 4);
    }
    return {directory, base, tag};
}

std::string nameWith(const NameParts& parts, int64_t counter) {
    char number[24];
    std::snprintf(number, sizeof number, "%03ld", static_cast<long>(counter));
    return parts.directory + parts.base + number + "." + parts.tag + ".p.wav";
}

} // namespace

std::string processedFileName(const std::string& directory, const std::string& sourceName,
                              const std::string& projectPath) {
    const NameParts parts = nameParts(directory, sourceName, projectPath);
    int64_t counter = 0;
    while (counter < kLastCounter && AEFileClaim::taken(nameWith(parts, counter), nullptr)) {
        ++counter;
    }
    return nameWith(parts, counter);
}

std::unique_ptr<AEProcessedFile> AEProcessedFile::claim(const std::string& directory,
                                                        const std::string& sourceName,
                                                        const std::string& projectPath,
                                                        const AEProject* project) {
    const NameParts parts = nameParts(directory, sourceName, projectPath);
    std::optional<AEFileClaim> claimed = AEFileClaim::claim(
        [&parts](int64_t n) { return n <= kLastCounter ? nameWith(parts, n) : std::string(); },
        project);
    if (!claimed) {
        return nullptr;
    }
    // From here this object removes the claimed name unless it commits.
    claimed->keep();
    return std::unique_ptr<AEProcessedFile>(new AEProcessedFile(claimed->path(), true));
}

AEProcessedFile::AEProcessedFile(const std::string& path) : AEProcessedFile(path, false) {}

AEProcessedFile::AEProcessedFile(const std::string& path, bool claimed)
    : pending_(path, AEFileClaim::writingPath(path)), claimed_(claimed) {}

AEProcessedFile::~AEProcessedFile() {
    if (claimed_ && !pending_.committed()) {
        FFileSystem::remove(pending_.finalPath());
    }
}

bool AEProcessedFile::commit() {
    return pending_.commit();
}

bool AEProcessedFile::fitsOnDisk(int64_t frames, const std::string& path) {
    std::string directory = FNPath(path).directory();
    if (directory.empty()) {
        directory = "./";
    }
    const int64_t needKB = frames * 4 / 1024;
    return needKB + needKB / 100 + kHeadroomKB < DiskSpace::freeKB(directory);
}

void AEProcessedFile::replaceTitleAudio(AEProject& project, int32_t index,
                                        const std::string& path) {
    AETitle* title = project.title(index);
    if (!title) {
        return;
    }
    // Only a processed file is ever replaced; the title's recording stays.
    const std::string older = title->processState().isProcessed() ? title->processedPath() : "";
    title->setProcessedPath(path);
    title->setStateCode(AETitleProcessState::kProcessed);
    if (older.empty() || older == path) {
        return;
    }
    for (int32_t i = 0; i < project.titleCount(); ++i) {
        if (project.title(i)->refersTo(older)) {
            return;
        }
    }
    AEFileManager::deleteAudioAndPeaks(older);
}
