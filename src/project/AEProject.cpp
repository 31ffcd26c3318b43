#include "AEProject.h"

#include "AEEngineAccess.h"
#include "AEFileManager.h"
#include "AEProjectFile.h"
#include "AERecordingJournal.h"
#include "AETimeText.h"
#include "ProjectHost.h"

#include "FFileSystem.h"
#include "FNPath.h"

#include <algorithm>
#include <cctype>

namespace {

constexpr int32_t kStringNoCdTitle = 3005;
constexpr int32_t kStringNoArtist = 3006;
constexpr int32_t kStringTitle = 3007;
constexpr int32_t kStringImported = 3010;
constexpr int32_t kStringTitlesRemoved = 3104;
constexpr int32_t kStringTitlesMissing = 3281;

std::string lowerCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool engineIsActive() {
    AEEngineAccess* engine = AEEngineAccess::current();
    return engine && engine->isPlayingOrRecording();
}

} // namespace

AEProject::AEProject()
    : projectTitle_(ProjectHost::text(kStringNoCdTitle)),
      baseDirectory_(AEFileManager::defaultDirectory()) {}

std::unique_ptr<AEProject> AEProject::snapshot() const {
    auto copy = std::make_unique<AEProject>();
    copy->projectTitle_ = projectTitle_;
    copy->baseDirectory_ = baseDirectory_;
    copy->currentTitle_ = currentTitle_;
    for (const auto& title : titles_) {
        copy->titles_.push_back(std::make_unique<AETitle>(*title));
    }
    return copy;
}

std::unique_ptr<AEProject> AEProject::createForPath(const std::string& path) {
    auto project = std::make_unique<AEProject>();
    const FNPath file(path);
    std::string name = file.fileName();
    if (name.size() >= 5) {
        name.resize(name.size() - 4);
    }
    project->setProjectTitle(name);
    project->setBaseDirectory(file.directory());
    return project;
}

std::unique_ptr<AEProject> AEProject::load(const std::string& path, LoadReport* report) {
    LoadReport local;
    LoadReport& out = report ? *report : local;
    out = {};
    const auto recovered = AERecordingJournal::recover();
    auto project = AEProjectFile::read(path, out.error);
    if (!project) {
        return nullptr;
    }
    project->adoptRecovered(recovered);
    project->dropUnplayableTitles(out.removedTitles);
    if (!out.removedTitles.empty()) {
        ProjectHost::showString(kStringTitlesRemoved);
    }
    for (const int32_t i : project->missingTitles()) {
        out.missingFiles.push_back(project->title(i)->currentAudioPath());
    }
    if (!out.missingFiles.empty()) {
        ProjectHost::showText(
            ProjectHost::textWith(kStringTitlesMissing, ProjectHost::lines(out.missingFiles)));
    }
    return project;
}

bool AEProject::save(const std::string& path, bool* written) const {
    const bool ok = AEProjectFile::write(*this, path);
    if (written) {
        *written = ok;
    }
    return ok && titleCount() > 0;
}

void AEProject::dropUnplayableTitles(std::vector<std::string>& removed) {
    std::vector<int32_t> checked;
    for (int32_t i = 0; i < titleCount();) {
        AETitle& t = *titles_[static_cast<size_t>(i)];
        const int32_t frames = AEFileManager::framesOf(t.checkPath());
        // Only audio that is there and too short goes; a title whose file is away (a drive
        // not mounted, a file moved) or unreadable today stays with everything it holds.
        if (frames >= 0 && frames < kMinimumFrames) {
            removed.push_back(t.displayName());
            deleteTitle(i, false);
        } else {
            checked.push_back(frames);
            ++i;
        }
    }
    if (titleCount() > 0) {
        makeCurrent(titleCount() - 1);
    }
    for (int32_t i = 0; i < titleCount(); ++i) {
        AETitle& t = *titles_[static_cast<size_t>(i)];
        // The checked file is most often the one the title plays: no need to open it twice.
        const std::string current = t.currentAudioPath();
        const int32_t frames = current == t.checkPath() ? checked[static_cast<size_t>(i)]
                                                        : AEFileManager::framesOf(current);
        t.setLength(frames);
        t.setAudioMissing(frames < 0);
    }
}

void AEProject::adoptRecovered(const std::vector<AERecordingJournal::Recovered>& recovered) {
    for (const auto& r : recovered) {
        for (auto& t : titles_) {
            // A recording cut off before it was stopped never got its end points.
            if (t->stateCode() == AETitleProcessState::kNotProcessed && t->refersTo(r.path) &&
                t->fadePoint(3) <= t->fadePoint(0)) {
                const int32_t points[AETitle::kFadePoints] = {0, 0, r.framesAfter, r.framesAfter};
                for (int k = 0; k < AETitle::kFadePoints; ++k) {
                    t->setFadePoint(k, points[k]);
                }
            }
        }
    }
}

std::vector<int32_t> AEProject::refreshAudio() {
    std::vector<int32_t> changed;
    for (int32_t i = 0; i < titleCount(); ++i) {
        AETitle& t = *titles_[static_cast<size_t>(i)];
        const int32_t frames = AEFileManager::framesOf(t.currentAudioPath());
        const bool missing = frames < 0;
        if (missing != t.audioMissing() || frames != t.length()) {
            changed.push_back(i);
        }
        t.setAudioMissing(missing);
        t.setLength(frames);
    }
    return changed;
}

std::vector<int32_t> AEProject::missingTitles() const {
    std::vector<int32_t> missing;
    for (int32_t i = 0; i < titleCount(); ++i) {
        if (titles_[static_cast<size_t>(i)]->audioMissing()) {
            missing.push_back(i);
        }
    }
    return missing;
}

std::string AEProject::missingAudio(const std::vector<int32_t>& indices) const {
    for (const int32_t i : indices) {
        const AETitle* t = title(i);
        if (!t) {
            continue;
        }
        const std::string path = t->currentAudioPath();
        if (!FFileSystem::isRegularFile(path)) {
            return path;
        }
    }
    return {};
}

bool AEProject::refersTo(const std::string& path) const {
    return std::any_of(titles_.begin(), titles_.end(),
                       [&path](const auto& t) { return t->refersTo(path); });
}

// --- Titles -----------------------------------------------------------------------------

AETitle* AEProject::title(int32_t index) {
    return index >= 0 && index < titleCount() ? titles_[static_cast<size_t>(index)].get() : nullptr;
}

const AETitle* AEProject::title(int32_t index) const {
    return index >= 0 && index < titleCount() ? titles_[static_cast<size_t>(index)].get() : nullptr;
}

std::string AEProject::nextTitleName() const {
    return ProjectHost::text(kStringTitle) + " " + std::to_string(std::min(titleCount() + 1, 99));
}

void AEProject::renumber() {
    for (int32_t i = 0; i < titleCount(); ++i) {
        titles_[static_cast<size_t>(i)]->setFileIndex(i);
    }
}

void AEProject::makeCurrent(int32_t index) {
    if (AETitle* previous = title(currentTitle_)) {
        previous->setSelected(false);
    }
    currentTitle_ = index;
    if (AETitle* now = title(index)) {
        now->setSelected(true);
    }
}

bool AEProject::addTitle(bool makeCurrentTitle) {
    if (titleCount() >= kMaxTitles) {
        return false;
    }
    titles_.push_back(std::make_unique<AETitle>(titleCount(), nextTitleName(),
                                                ProjectHost::text(kStringNoArtist)));
    if (makeCurrentTitle) {
        makeCurrent(titleCount() - 1);
    }
    return true;
}

bool AEProject::addImportedFile(const std::string& path) {
    if (titleCount() >= kMaxTitles) {
        return false;
    }
    const std::string base =
        AETitle::hasWavExtension(path) ? path.substr(0, path.size() - 4) : path;
    // The title plays `path` itself (its ".wav" in any letter case): refuse rather than
    // point at a file that is not there.
    const int32_t frames = AETitle::hasWavExtension(path) ? AEFileManager::framesOf(path) : -1;
    if (frames < 0 || !addTitle(true)) {
        return false;
    }
    AETitle& added = *titles_.back();
    added.setSourcePath(path);
    added.setAudioBase(base);
    added.setDisplayName(FNPath(base).fileName());
    added.setProcessedPath(AETitle::kNotProcessed);
    added.setArtist(ProjectHost::text(kStringImported));
    added.setLength(frames);
    const int32_t fades[AETitle::kFadePoints] = {0, 0, frames, frames};
    for (int k = 0; k < AETitle::kFadePoints; ++k) {
        added.setFadePoint(k, fades[k]);
    }
    for (int slot = 0; slot < AETitle::kSlots; ++slot) {
        added.setProcessorEnabled(slot, false);
        added.setProcessorParam(slot, 0);
    }
    added.setStateCode(AETitleProcessState::kNotProcessed);
    return true;
}

bool AEProject::deleteTitle(int32_t index, bool deleteFiles) {
    const AETitle* doomed = title(index);
    if (!doomed) {
        return false;
    }
    if (deleteFiles) {
        const std::string base = lowerCase(doomed->audioBase());
        const bool shared = std::any_of(titles_.begin(), titles_.end(), [&](const auto& other) {
            return other.get() != doomed && lowerCase(other->audioBase()) == base;
        });
        if (!shared) {
            AEFileManager::deleteAudioAndPeaks(doomed->currentAudioPath());
        }
    }
    titles_.erase(titles_.begin() + index);
    if (titles_.empty()) {
        if (AEEngineAccess* engine = AEEngineAccess::current()) {
            engine->loadTitle(-1);
        }
    }
    renumber();
    for (auto& remaining : titles_) {
        remaining->setSelected(false);
    }
    currentTitle_ = -1;
    return true;
}

bool AEProject::replaceTitle(int32_t index, std::vector<std::unique_ptr<AETitle>> titles) {
    if (!title(index) || titles.empty() ||
        titleCount() - 1 + static_cast<int32_t>(titles.size()) > kMaxTitles) {
        return false;
    }
    const auto at = titles_.begin() + index;
    titles_.erase(at);
    titles_.insert(titles_.begin() + index, std::make_move_iterator(titles.begin()),
                   std::make_move_iterator(titles.end()));
    renumber();
    for (auto& t : titles_) {
        t->setSelected(false);
    }
    currentTitle_ = -1;
    makeCurrent(index);
    return true;
}

bool AEProject::moveCurrentDown() {
    if (currentTitle_ < 0 || currentTitle_ >= titleCount() - 1) {
        return false;
    }
    const auto at = static_cast<size_t>(currentTitle_);
    std::swap(titles_[at], titles_[at + 1]);
    ++currentTitle_;
    renumber();
    return true;
}

bool AEProject::moveCurrentUp() {
    if (titleCount() < 2 || currentTitle_ < 1 || currentTitle_ >= titleCount()) {
        return false;
    }
    const auto at = static_cast<size_t>(currentTitle_);
    std::swap(titles_[at], titles_[at - 1]);
    --currentTitle_;
    renumber();
    return true;
}

bool AEProject::step(int32_t direction) {
    if (engineIsActive() || titleCount() < 2) {
        return false;
    }
    const int32_t last = titleCount() - 1;
    int32_t target = -1;
    switch (direction) {
    case kPrevious:
        target = currentTitle_ > 0 ? currentTitle_ - 1 : -1;
        break;
    case kNext:
        target = currentTitle_ < last ? currentTitle_ + 1 : -1;
        break;
    case kFirst:
        target = currentTitle_ != 0 ? 0 : -1;
        break;
    case kLast:
        target = currentTitle_ != last ? last : -1;
        break;
    default:
        break;
    }
    if (target < 0) {
        return false;
    }
    if (AETitle* previous = title(currentTitle_)) {
        previous->setMarker(1, -1);
    }
    makeCurrent(target);
    return true;
}

bool AEProject::select(int32_t index) {
    if (engineIsActive() || ProjectHost::busy() || !title(index) || index == currentTitle_) {
        return false;
    }
    makeCurrent(index);
    return true;
}

// --- Fields by index ----------------------------------------------------------------------

int32_t AEProject::fileIndex(int32_t index) const {
    const AETitle* t = title(index);
    return t ? t->fileIndex() : -1;
}

std::string AEProject::artist(int32_t index) const {
    const AETitle* t = title(index);
    return t ? t->artist() : ProjectHost::text(kStringNoArtist);
}

std::string AEProject::audioBase(int32_t index) const {
    const AETitle* t = title(index);
    return t ? t->audioBase() : kNoTrackName;
}

std::string AEProject::displayName(int32_t index) const {
    const AETitle* t = title(index);
    return t ? t->displayName() : kNoTrackName;
}

std::string AEProject::pauseSeconds(int32_t index) const {
    const AETitle* t = title(index);
    return t ? t->pauseSeconds() : "0";
}

std::string AEProject::processedPath(int32_t index) const {
    const AETitle* t = title(index);
    return t ? t->processedPath() : AETitle::kNotProcessed;
}

std::string AEProject::sourcePath(int32_t index) const {
    const AETitle* t = title(index);
    return t ? t->sourcePath() : AETitle::kNotAvailable;
}

int32_t AEProject::processorParam(int32_t index, int slot) const {
    const AETitle* t = title(index);
    return t && slot >= 0 && slot < AETitle::kSlots ? t->processorParam(slot) : 0;
}

bool AEProject::processorEnabled(int32_t index, int slot) const {
    const AETitle* t = title(index);
    return t && slot >= 0 && slot < AETitle::kSlots && t->processorEnabled(slot);
}

int32_t AEProject::fadePoint(int32_t index, int k) const {
    const AETitle* t = title(index);
    return t && k >= 0 && k < AETitle::kFadePoints ? t->fadePoint(k) : 0;
}

int32_t AEProject::stateCode(int32_t index) const {
    const AETitle* t = title(index);
    return t ? t->stateCode() : AETitleProcessState::kNotProcessed;
}

int32_t AEProject::zoom(int32_t index) const {
    const AETitle* t = title(index);
    return t ? t->zoom() : AETitle::kDefaultZoom;
}

int32_t AEProject::length(int32_t index) const {
    const AETitle* t = title(index);
    return t ? t->length() : 0;
}

bool AEProject::isSelected(int32_t index) const {
    const AETitle* t = title(index);
    return t && t->isSelected();
}

int32_t AEProject::marker(int32_t index, int k) const {
    const AETitle* t = title(index);
    return t && k >= 0 && k < AETitle::kMarkers ? t->marker(k) : -1;
}

std::string AEProject::currentAudioPath(int32_t index) const {
    const AETitle* t = title(index);
    return t ? t->currentAudioPath() : std::string();
}

// --- Times ----------------------------------------------------------------------------------

std::string AEProject::lengthText(int32_t index) const {
    return AETimeText::minutesSeconds(length(index));
}

int64_t AEProject::totalFrames() const {
    int64_t total = 0;
    for (const auto& t : titles_) {
        total += t->playingLength() + int64_t{t->pauseValue()} * AETimeText::kFramesPerSecond;
    }
    return total;
}

bool AEProject::totalTime(std::string& textOut, int32_t capacitySeconds) const {
    const int64_t total = totalFrames();
    textOut = AETimeText::minutesSeconds(total);
    return total < int64_t{capacitySeconds} * AETimeText::kFramesPerSecond;
}

void AEProject::updateLengths() {
    for (auto& t : titles_) {
        t->setLength(AEFileManager::framesOf(t->currentAudioPath()));
    }
}
