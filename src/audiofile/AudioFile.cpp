#include "AudioFile.h"

#include "AIFFFileHandler.h"
#include "AudioFileHandler.h"
#include "FClassRegistry.h"
#include "FFileSystem.h"
#include "WaveFileHandler.h"

#include <algorithm>
#include <cmath>

namespace {

const FRegisterClass kRegistration("AudioFile", "AudioStream", [] { return new AudioFile(); });

// Paths longer than this in a stream are taken as damage, not as a path.
constexpr uint32_t kMaxStoredPath = 65536;

int16_t toInt16(int64_t value) {
    return static_cast<int16_t>(std::clamp<int64_t>(value, 0, INT16_MAX));
}

int32_t toInt32(int64_t value) {
    return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

} // namespace

AudioFile::AudioFile() : AudioFile(FRef<FNPath>::make()) {}

AudioFile::AudioFile(FRef<FNPath> path) : AudioStream(std::move(path)) {
    identify();
}

AudioFile::AudioFile(const std::string& path) : AudioFile(FRef<FNPath>::make(path)) {}

AudioFile::~AudioFile() {
    closeCompletely();
}

void AudioFile::closeCompletely() {
    if (openCount_ > 0) {
        openCount_ = 1;
        close();
    }
}

bool AudioFile::identify() {
    kind_ = AudioFileTypes::identify(pathName());
    makeHandler();
    return handler_ != nullptr;
}

AudioOpenResult AudioFile::reasonWithoutHandler() const {
    const std::string& path = pathName();
    if (!FFileSystem::exists(path)) {
        return AudioOpenResult::kMissing;
    }
    return FFileSystem::isRegularFile(path) ? AudioOpenResult::kNotAudio
                                            : AudioOpenResult::kNotRegular;
}

AudioFileCheck AudioFile::check(const std::string& path) {
    AudioFile file(path);
    AudioFileCheck result;
    if (file.open(FAccessMode::kRead)) {
        result.frames = file.frames_;
        result.headerFrames = file.headerFrames_;
        result.sampleRate = file.file_.sampleRate;
        result.channels = file.file_.channels;
        result.bits = file.file_.bits;
        result.kind = file.kind_;
        file.close();
    } else {
        result.kind = AudioFileTypes::identifyFile(path);
    }
    result.result = file.lastOpenResult();
    return result;
}

AudioHeaderRepair AudioFile::repairHeader(const std::string& path) {
    return AudioHeaderRepair::repair(path);
}

void AudioFile::makeHandler() {
    switch (kind_) {
    case kAudioKindAIFF:
    case kAudioKindAIFC:
        handler_ = std::make_unique<AIFFFileHandler>(*this);
        break;
    case kAudioKindWAVE:
        handler_ = std::make_unique<WaveFileHandler>(*this);
        break;
    default:
        handler_.reset();
        break;
    }
}

FRef<AudioFile> AudioFile::clone() const {
    auto copy = FRef<AudioFile>::make(path_);
    copy->kind_ = kind_;
    copy->makeHandler();
    copy->state_ = state_ & kOpened;
    copy->frames_ = frames_;
    copy->headerFrames_ = headerFrames_;
    copy->dataOffset_ = dataOffset_;
    copy->swapWord_ = swapWord_;
    copy->file_ = file_;
    copy->client_ = client_;
    copy->userFlag_ = userFlag_;
    return copy;
}

bool AudioFile::readFromStream(FFileStream& stream) {
    closeCompletely();
    handler_.reset();
    state_ = 0;
    frames_ = 0;
    headerFrames_ = 0;
    dataOffset_ = 0;
    swapWord_ = 0;
    file_ = client_ = AudioFormat{};
    transfer_.reset();
    uint32_t length = 0;
    if (!stream.readUInt32(length) || length > kMaxStoredPath) {
        return false;
    }
    std::string text(length, '\0');
    if (stream.read(text.data(), length) != static_cast<int64_t>(length)) {
        return false;
    }
    setPath(FRef<FNPath>::make(std::move(text)));
    return identify();
}

bool AudioFile::writeToStream(FFileStream& stream) const {
    const std::string& text = path_->text();
    return stream.writeUInt32(static_cast<uint32_t>(text.size())) &&
           stream.write(text.data(), static_cast<int64_t>(text.size())) ==
               static_cast<int64_t>(text.size());
}

bool AudioFile::open(FAccessMode mode) {
    // A file never opened may have been written since this object was made.
    if (openCount_ == 0 && !(state_ & kOpened)) {
        identify();
    }
    if (!handler_) {
        lastOpenResult_ = reasonWithoutHandler();
        return false;
    }
    if (openCount_ == INT16_MAX) {
        return false;
    }
    if (++openCount_ > 1) {
        client_ = file_;
        lastOpenResult_ = AudioOpenResult::kOk;
        return true;
    }
    const bool opened = handler_->open(mode);
    lastOpenResult_ = handler_->openResult();
    if (!opened) {
        --openCount_;
        if (handler_->headerRejected()) {
            handler_.reset();
        }
        return false;
    }
    state_ |= kOpened;
    makeFileBytesPerFrameConsistent();
    client_ = file_;
    transfer_.reset();
    return true;
}

bool AudioFile::create() {
    if (!handler_) {
        return false;
    }
    if (openCount_ != 0) {
        return true;
    }
    state_ |= kOpened;
    makeFileBytesPerFrameConsistent();
    client_ = file_;
    if (!handler_->create()) {
        state_ &= ~kOpened;
        return false;
    }
    transfer_.reset();
    ++openCount_;
    return true;
}

bool AudioFile::updateHeaderKeepingPosition() {
    FFileStream* stream = handler_->stream();
    int64_t position = stream->tell();
    bool ok = handler_->updateHeader();
    if (ok) {
        headerFrames_ = frames_;
    }
    if (position >= 0) {
        stream->seek(position, FSeekOrigin::kBegin);
    }
    return ok;
}

bool AudioFile::flush() {
    if (!handler_ || !handler_->stream()) {
        return false;
    }
    bool ok = true;
    if (state_ & kDirty) {
        ok = updateHeaderKeepingPosition();
        state_ &= ~kDirty;
    }
    return handler_->stream()->flush() && ok;
}

bool AudioFile::close() {
    if (!handler_) {
        return false;
    }
    if ((state_ & kDirty) && handler_->stream()) {
        updateHeaderKeepingPosition();
        state_ &= ~kDirty;
    }
    if (--openCount_ < 1) {
        handler_->close();
        openCount_ = 0;
        transfer_.reset();
    }
    return true;
}

FFileStream* AudioFile::transferStream() const {
    if (!handler_ || openCount_ <= 0 || file_.bytesPerFrame <= 0) {
        return nullptr;
    }
    return handler_->stream();
}

int32_t AudioFile::read(int32_t frames, void* buffer) {
    FFileStream* stream = transferStream();
    if (frames <= 0 || !stream || !buffer) {
        return -1;
    }
    const int64_t bytesPerFrame = file_.bytesPerFrame;
    int64_t offset = stream->tell();
    if (offset < 0) {
        return -1;
    }
    // Never past the last frame: what follows the sample data is not audio.
    int64_t left = frames_ - (offset - static_cast<int64_t>(dataOffset_)) / bytesPerFrame;
    if (left <= 0) {
        return 0;
    }
    if (client_ == file_ && swapWord_ == 0) {
        transfer_.reset();
        int64_t bytes = stream->read(buffer, std::min<int64_t>(frames, left) * bytesPerFrame);
        if (bytes <= 0) {
            return static_cast<int32_t>(bytes);
        }
        if (bytes % bytesPerFrame != 0) {
            stream->seek(-(bytes % bytesPerFrame), FSeekOrigin::kCurrent); // stay on a frame
        }
        return static_cast<int32_t>(bytes / bytesPerFrame);
    }
    return transfer_.read(*stream, file_, swapWord_, client_, frames, buffer, left);
}

int32_t AudioFile::write(int32_t frames, const void* buffer) {
    FFileStream* stream = transferStream();
    if (frames <= 0 || !stream || !buffer) {
        return -1;
    }
    state_ |= kDirty;
    const int64_t bytesPerFrame = file_.bytesPerFrame;
    const bool direct = client_ == file_ && swapWord_ == 0;
    // The headers hold 32-bit sizes: refuse what they could not describe.
    double fileFrames =
        direct
            ? frames
            : std::ceil(frames * static_cast<double>(file_.sampleRate) / client_.sampleRate) + 2.0;
    int64_t offset = stream->tell();
    if (offset < 0 ||
        static_cast<double>(offset) + fileFrames * static_cast<double>(bytesPerFrame) >
            UINT32_MAX) {
        return -1;
    }
    int32_t written;
    if (direct) {
        int64_t bytes = stream->write(buffer, frames * bytesPerFrame);
        if (bytes <= 0) {
            return static_cast<int32_t>(bytes);
        }
        written = static_cast<int32_t>(bytes / bytesPerFrame);
    } else {
        written = transfer_.write(*stream, file_, swapWord_, client_, frames, buffer);
        if (written <= 0) {
            return written;
        }
    }
    int32_t end = position();
    if (end > frames_) {
        frames_ = end; // the file grows by writing past its end
    }
    return written;
}

int32_t AudioFile::seek(int32_t frame) {
    if (!handler_ || !handler_->stream() || frame < 0) {
        return -1;
    }
    int64_t offset = static_cast<int64_t>(frame) * file_.bytesPerFrame + dataOffset_;
    int64_t result = handler_->stream()->seek(offset, FSeekOrigin::kBegin);
    if (result < 0) {
        return toInt32(result);
    }
    transfer_.reset();
    return frame;
}

int32_t AudioFile::position() {
    if (!handler_ || file_.bytesPerFrame <= 0 || !handler_->stream()) {
        return -1;
    }
    int64_t offset = handler_->stream()->tell();
    if (offset < 0) {
        return toInt32(offset);
    }
    return toInt32((offset - static_cast<int64_t>(dataOffset_)) / file_.bytesPerFrame);
}

void AudioFile::refreshHeaderInfo() {
    if (!handler_ || (state_ & kOpened)) {
        return;
    }
    if (open(FAccessMode::kRead)) {
        close();
    }
    makeFileBytesPerFrameConsistent();
}

int32_t AudioFile::formatFlags() {
    return file_.formatFlags;
}

template <class T> T AudioFile::refreshed(T AudioFormat::*field, T withoutHandler) {
    if (!handler_) {
        return withoutHandler;
    }
    refreshHeaderInfo();
    return file_.*field;
}

int16_t AudioFile::bytesPerFrame() {
    return refreshed(&AudioFormat::bytesPerFrame, int16_t{2});
}

int16_t AudioFile::channels() {
    return refreshed(&AudioFormat::channels, int16_t{1});
}

float AudioFile::sampleRate() {
    return refreshed(&AudioFormat::sampleRate, 44100.0f);
}

int32_t AudioFile::sampleType() {
    return refreshed(&AudioFormat::sampleType, int32_t{kSampleSigned});
}

int32_t AudioFile::frames() {
    if (!handler_) {
        return 0;
    }
    refreshHeaderInfo();
    return frames_;
}

int16_t AudioFile::bits() {
    return refreshed(&AudioFormat::bits, file_.bits);
}

void AudioFile::makeFileBytesPerFrameConsistent() {
    if (file_.channels <= 0) {
        return;
    }
    const int32_t whole = (file_.bits / 8) * file_.channels;
    const int32_t containerBits = (file_.bytesPerFrame / file_.channels) * 8;
    if (file_.bytesPerFrame < whole || (file_.bits + 8 < containerBits && client_.bits != 24)) {
        file_.bytesPerFrame = toInt16(whole);
    }
}

bool AudioFile::clientBitsDisagree() const {
    if (client_.channels <= 0) {
        return false;
    }
    const int32_t whole = (client_.bits / 8) * client_.channels;
    const int32_t containerBits = (client_.bytesPerFrame / client_.channels) * 8;
    return client_.bytesPerFrame < whole || (client_.bits < containerBits && client_.bits != 24);
}

void AudioFile::deriveClientBytesPerFrame() {
    if (clientBitsDisagree()) {
        client_.bytesPerFrame = toInt16((client_.bits / 8) * client_.channels);
    }
}

bool AudioFile::setClientFormatFlags(int32_t flags) {
    client_.formatFlags = flags;
    return true;
}

bool AudioFile::setClientBytesPerFrame(int16_t bytes) {
    client_.bytesPerFrame = bytes;
    if (clientBitsDisagree()) {
        client_.bits = toInt16((client_.bytesPerFrame / client_.channels) * 8);
    }
    return true;
}

bool AudioFile::setClientBits(int16_t bits) {
    client_.bits = bits;
    deriveClientBytesPerFrame();
    return true;
}

bool AudioFile::setClientSampleType(int32_t type) {
    client_.sampleType = type;
    return true;
}

bool AudioFile::setClientChannels(int16_t channels) {
    client_.channels = channels;
    deriveClientBytesPerFrame();
    return true;
}

void AudioFile::setClientSampleRate(float rate) {
    client_.sampleRate = rate;
}

int32_t AudioFile::clientFrames() {
    const int32_t fileFrames = frames();
    const float fileRate = sampleRate();
    if (fileRate == client_.sampleRate) {
        return fileFrames;
    }
    if (!(fileRate > 0.0f) || !(client_.sampleRate > 0.0f) || !std::isfinite(client_.sampleRate)) {
        return 0;
    }
    double converted = (static_cast<double>(fileFrames) - 1.0) * client_.sampleRate / fileRate;
    return static_cast<int32_t>(std::clamp(converted, 0.0, static_cast<double>(INT32_MAX)));
}

uint32_t AudioFile::dataOffset() const {
    return handler_ ? dataOffset_ : 0;
}

uint16_t AudioFile::swapWord() const {
    return handler_ ? swapWord_ : 0;
}

void AudioFile::setChannels(int16_t channels) {
    file_.channels = channels;
    file_.bytesPerFrame = toInt16((file_.bits / 8) * channels);
    deriveClientBytesPerFrame();
    state_ |= kDirty;
}

void AudioFile::setSampleRate(float rate) {
    file_.sampleRate = rate;
    state_ |= kDirty;
}

void AudioFile::setFrames(int32_t frames) {
    frames_ = frames;
    state_ |= kDirty;
}

void AudioFile::setBits(int16_t bits) {
    file_.bits = bits;
    file_.bytesPerFrame = toInt16((bits / 8) * file_.channels);
    state_ |= kDirty;
}

void AudioFile::setSampleType(int32_t type) {
    file_.sampleType = type;
}
