#include "AEFileManager.h"

#include "AEEngineAccess.h"
#include "AEPeakData.h"
#include "AEProject.h"
#include "ProjectHost.h"

#include "AudioFile.h"
#include "DiskSpace.h"
#include "FFileSystem.h"

#include <cstdlib>

namespace {
constexpr int32_t kStringNoPeakFile = 3049;
}

AEFileManager::AEFileManager() = default;

std::string AEFileManager::defaultDirectory() {
    const char* home = std::getenv("HOME");
    std::string directory = home && *home ? home : "/";
    if (directory.back() != '/') {
        directory += '/';
    }
    return directory;
}

int32_t AEFileManager::framesOf(const std::string& path) {
    if (path.empty() || !FFileSystem::exists(path)) {
        return -1;
    }
    AudioFile file(path);
    if (!file.open(FAccessMode::kRead)) {
        return -1;
    }
    const int32_t frames = file.frames();
    file.close();
    return frames;
}

void AEFileManager::deleteAudioAndPeaks(const std::string& audioPath) {
    FFileSystem::remove(audioPath);
    FFileSystem::remove(AEPeakData::peakPath(audioPath));
}

std::string AEFileManager::getFileName(int32_t index) const {
    if (!project_) {
        ProjectHost::showText("Error in 'AEFileManager::getFileName()' !!");
        return "error";
    }
    return project_->currentAudioPath(index);
}

int32_t AEFileManager::getLength(int32_t index) const {
    return framesOf(getFileName(index));
}

int32_t AEFileManager::getLengthOfPath(const std::string& path) const {
    const int32_t frames = framesOf(path);
    return frames < 0 ? 0 : frames;
}

std::string AEFileManager::baseDirectory() const {
    if (project_) {
        return project_->baseDirectory();
    }
    return lastDirectory_ ? lastDirectory_() : defaultDirectory();
}

int64_t AEFileManager::totalSpaceKB() const {
    return DiskSpace::totalKB(baseDirectory());
}

int64_t AEFileManager::freeSpaceKB() const {
    return DiskSpace::freeKB(baseDirectory());
}

bool AEFileManager::hasRoomForFrames(int64_t frames) const {
    return frames / 256 < freeSpaceKB();
}

bool AEFileManager::deleteFiles(int32_t index) const {
    const std::string path = getFileName(index);
    if (path.empty() || !project_) {
        return false;
    }
    deleteAudioAndPeaks(path);
    return true;
}

bool AEFileManager::loadIntoEngine(int32_t index) const {
    AEEngineAccess* engine = AEEngineAccess::current();
    return engine && engine->loadTitle(index);
}

bool AEFileManager::newImportFile(const std::string& path) const {
    AudioFile file(path);
    AEPeakData peaks(&file);
    if (!peaks.beginRecording()) {
        ProjectHost::showString(kStringNoPeakFile);
        return false;
    }
    return peaks.build() && peaks.finish();
}
