#include "AudioFileHandler.h"

#include "AudioFile.h"
#include "FClassRegistry.h"
#include "FFileSystem.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include <unistd.h>

namespace {

const FRegisterClass kRegistration("AudioFileHandler", "FShared");

// No stdio buffer: a block of frames goes straight between the file and the caller's
// buffer with one system call, as a plain read() would, and nothing waits in a buffer.
// Must run before the first transfer on the stream.
void unbuffer(FFileStream& stream) {
    std::setvbuf(stream.handle(), nullptr, _IONBF, 0);
}

} // namespace

AudioFileHandler::AudioFileHandler(AudioFile& owner) : owner_(owner) {}

AudioFileHandler::~AudioFileHandler() = default;

AudioFormat& AudioFileHandler::fileFormat() {
    return owner_.file_;
}

int32_t& AudioFileHandler::frames() {
    return owner_.frames_;
}

int32_t& AudioFileHandler::headerFrames() {
    return owner_.headerFrames_;
}

uint32_t& AudioFileHandler::dataOffset() {
    return owner_.dataOffset_;
}

uint16_t& AudioFileHandler::swapWord() {
    return owner_.swapWord_;
}

bool AudioFileHandler::open(FAccessMode mode) {
    headerRejected_ = false;
    unsupported_ = false;
    const std::string& path = owner_.pathName();
    stream_ = FFileSystem::open(path, mode);
    if (!stream_) {
        openResult_ = !FFileSystem::exists(path)          ? AudioOpenResult::kMissing
                      : !FFileSystem::isRegularFile(path) ? AudioOpenResult::kNotRegular
                      : ::access(path.c_str(), R_OK) != 0 ? AudioOpenResult::kNoPermission
                                                          : AudioOpenResult::kUnreadable;
        return false;
    }
    unbuffer(*stream_);
    if (FFileSystem::size(*stream_) <= 0) {
        stream_.reset();
        openResult_ = AudioOpenResult::kNotAudio;
        return false;
    }
    if (!readHeader()) {
        openResult_ = rejection();
        stream_.reset();
        headerRejected_ = true;
        return false;
    }
    openResult_ = AudioOpenResult::kOk;
    return true;
}

AudioOpenResult AudioFileHandler::rejection() {
    if (unsupported_) {
        return AudioOpenResult::kUnsupported;
    }
    uint8_t head[AudioFileTypes::kMagicBytes] = {};
    stream_->rewind();
    const int64_t got = stream_->read(head, sizeof head);
    const bool known = got > 0 && AudioFileTypes::identifyContent(head, static_cast<size_t>(got)) !=
                                      kAudioKindUnknown;
    if (!known) {
        return AudioOpenResult::kNotAudio;
    }
    return endsBeforeAudio() ? AudioOpenResult::kTruncated : AudioOpenResult::kDamaged;
}

bool AudioFileHandler::create() {
    stream_ = FFileSystem::create(owner_.pathName());
    if (!stream_) {
        return false;
    }
    unbuffer(*stream_);
    frames() = 0;
    headerFrames() = 0;
    if (!writeHeader()) {
        stream_.reset();
        FFileSystem::remove(owner_.pathName());
        return false;
    }
    return true;
}

bool AudioFileHandler::close() {
    FFileSystem::close(stream_);
    return true;
}

bool AudioFileHandler::updateLengthFromSize() {
    if (!stream_) {
        return false;
    }
    int64_t size = FFileSystem::size(*stream_);
    int64_t bytesPerFrame = fileFormat().bytesPerFrame;
    if (bytesPerFrame > 0 && size >= static_cast<int64_t>(dataOffset())) {
        frames() = static_cast<int32_t>(
            std::min<int64_t>((size - dataOffset()) / bytesPerFrame, INT32_MAX));
    }
    return true;
}

bool AudioFileHandler::isUsable(const AudioFormat& format) {
    return format.channels >= 1 && format.bits >= 1 && format.bytesPerFrame >= 1 &&
           std::isfinite(format.sampleRate) && format.sampleRate > 0.0f;
}

uint32_t AudioFileHandler::containerSize() {
    int64_t dataEnd = static_cast<int64_t>(dataOffset()) +
                      static_cast<int64_t>(frames()) * fileFormat().bytesPerFrame;
    int64_t end = std::max(dataEnd, stream_ ? stream_->size() : int64_t{0});
    return static_cast<uint32_t>(std::clamp<int64_t>(end - 8, 0, UINT32_MAX));
}

uint32_t AudioFileHandler::integerSampleRate() {
    float rate = fileFormat().sampleRate;
    if (!(rate > 0.0f)) {
        return 0;
    }
    return rate >= 4294967296.0f ? UINT32_MAX : static_cast<uint32_t>(rate);
}
