#include "AETitle.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

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

std::string AETitle::currentAudioPath() const {
    return processState_.isProcessed() ? processedPath_ : audioBase_ + ".wav";
}

std::string AETitle::checkPath() const {
    if (processState_.stateCode != AETitleProcessState::kNotProcessed) {
        return processedPath_;
    }
    return hasWavExtension(audioBase_) ? audioBase_ : audioBase_ + ".wav";
}

int64_t AETitle::playingLength() const {
    if (processState_.stateCode == AETitleProcessState::kNotProcessed) {
        return static_cast<int64_t>(fadePoints_[3]) - fadePoints_[0];
    }
    return length_;
}
