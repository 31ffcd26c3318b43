#include "AudioStream.h"

#include "FClassRegistry.h"
#include "FFileSystem.h"

namespace {

const FRegisterClass kRegistration("AudioStream", "FShared");

} // namespace

AudioStream::AudioStream(FRef<FNPath> path)
    : path_(path ? std::move(path) : FRef<FNPath>::make()) {}

AudioStream::~AudioStream() = default;

void AudioStream::setPath(FRef<FNPath> path) {
    path_ = path ? std::move(path) : FRef<FNPath>::make();
}

bool AudioStream::rename(const std::string& newName) {
    if (!FFileSystem::rename(path_->text(), newName)) {
        return false;
    }
    // A new path object: others that share the old one keep naming what they named.
    auto renamed = FRef<FNPath>::make(path_->text());
    if (newName.find('/') == std::string::npos) {
        renamed->setFileName(newName);
    } else {
        renamed->setText(newName);
    }
    path_ = renamed;
    return true;
}

std::string AudioStream::pathName() const {
    return path_->text();
}

void AudioStream::setUserFlag(uint8_t flag) {
    userFlag_ = flag;
}

uint8_t AudioStream::userFlag() const {
    return userFlag_;
}
