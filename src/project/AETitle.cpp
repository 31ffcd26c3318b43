#include "AETitle.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>

bool AETitle::hasWavExtension(const std::string& path) {
    if (path.size() < 4) {
        return false;
    }
    std::string tail = path.substr(path.size() - 4);
    std::transform(tail.begin(), tail.end(), tail.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return tail == ".wav";
}

AETitle::AETitle(int32_t fileIndex, std::string displayName, std::string artist)
    : fileIndex_(fileIndex), artist_(std::move(artist)), audioBase_(displayName),
      displayName_(std::move(displayName)) {}

int32_t AETitle::parsePause(const std::string& text) {
    const long value = std::strtol(text.c_str(), nullptr, 10);
    return static_cast<int32_t>(std::clamp(value, 0L, 4L));
}

void AETitle::setPauseSeconds(const std::string& text) {
    pauseSeconds_ = std::to_string(parsePause(text));
}

int32_t AETitle::pauseValue() const {
    return parsePause(pauseSeconds_);
}

void AETitle::setProcessorEnabled(int slot, bool on) {
    processorEnabled_[slot] = on;
    processorEnabledWorking_[slot] = on;
}

namespace {

std::string normalised(const std::string& path) {
    return std::filesystem::path(path).lexically_normal().string();
}

} // namespace

std::string AETitle::originalAudioPath() const {
    if (sourcePath_.size() == audioBase_.size() + 4 && hasWavExtension(sourcePath_) &&
        sourcePath_.compare(0, audioBase_.size(), audioBase_) == 0) {
        return sourcePath_;
    }
    return audioBase_ + ".wav";
}

std::string AETitle::currentAudioPath() const {
    return processState_.isProcessed() ? processedPath_ : originalAudioPath();
}

std::string AETitle::checkPath() const {
    if (processState_.stateCode != AETitleProcessState::kNotProcessed) {
        return processedPath_;
    }
    return hasWavExtension(audioBase_) ? audioBase_ : originalAudioPath();
}

bool AETitle::refersTo(const std::string& path) const {
    if (path.empty()) {
        return false;
    }
    const std::string wanted = normalised(path);
    for (const std::string& own : {originalAudioPath(), sourcePath_, processedPath_}) {
        if (!own.empty() && own != kNotAvailable && own != kNotProcessed &&
            normalised(own) == wanted) {
            return true;
        }
    }
    return false;
}

int64_t AETitle::playingLength() const {
    // A processed title whose file is away counts with its fade range until it is back.
    if (processState_.stateCode == AETitleProcessState::kNotProcessed || length_ < 0) {
        return static_cast<int64_t>(fadePoints_[3]) - fadePoints_[0];
    }
    return length_;
}

void AETitle::setLoudness(double lufs) {
    loudness_ = Loudness{lufs, currentAudioPath(), fadePoints_};
}

std::optional<double> AETitle::loudness() const {
    if (!loudness_ || loudness_->path != currentAudioPath() ||
        loudness_->fadePoints != fadePoints_) {
        return std::nullopt;
    }
    return loudness_->lufs;
}
