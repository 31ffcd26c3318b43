#include "AETaggedFile.h"

#include "FFileSystem.h"

#include <cstdio>
#include <cstring>
#include <unistd.h>

AETaggedFile::AETaggedFile(std::string path) : path_(std::move(path)) {}

AETaggedFile::~AETaggedFile() {
    close();
}

bool AETaggedFile::openForWrite() {
    close();
    if (path_.empty()) {
        return false;
    }
    stream_ = FFileSystem::create(pendingPath());
    if (!stream_) {
        return false;
    }
    stream_->setLittleEndian();
    writing_ = true;
    writeFailed_ = false;
    return true;
}

bool AETaggedFile::openForRead() {
    close();
    stream_ = FFileSystem::open(path_, FAccessMode::kRead);
    if (!stream_) {
        return false;
    }
    stream_->setLittleEndian();
    writing_ = false;
    readFailed_ = false;
    textWasRead_ = false;
    fileSize_ = stream_->size();
    return true;
}

bool AETaggedFile::close() {
    if (!stream_) {
        return false;
    }
    stream_.reset();
    if (writing_) {
        // Never finished: the named file keeps its old contents.
        FFileSystem::remove(pendingPath());
        writing_ = false;
    }
    return true;
}

bool AETaggedFile::finishWrite() {
    if (!stream_ || !writing_) {
        return false;
    }
    // On disk before it replaces anything: a crash after the move must not leave a hole.
    const bool ok = !writeFailed_ && stream_->flush() && ::fsync(fileno(stream_->handle())) == 0;
    stream_.reset();
    writing_ = false;
    if (!ok || std::rename(pendingPath().c_str(), path_.c_str()) != 0) {
        FFileSystem::remove(pendingPath());
        return false;
    }
    return true;
}

void AETaggedFile::writeHeader(int32_t type, const char* tag) {
    char padded[4] = {' ', ' ', ' ', ' '};
    for (size_t i = 0; i < 4 && tag[i] != '\0'; ++i) {
        padded[i] = tag[i];
    }
    if (!stream_->writeInt32(type) || stream_->write(padded, 4) != 4) {
        writeFailed_ = true;
    }
}

void AETaggedFile::writeText(const char* tag, const std::string& text) {
    if (!stream_ || !writing_) {
        return;
    }
    // Up to the first zero byte, as a C text would be, and cut to what a record holds.
    std::string bytes = cutText(text.substr(0, std::strlen(text.c_str())), kMaxTextBytes);
    writeHeader(kText, tag);
    const auto length = static_cast<int32_t>(bytes.size() + 1);
    if (!stream_->writeInt32(length) || stream_->write(bytes.c_str(), length) != length) {
        writeFailed_ = true;
    }
}

void AETaggedFile::writeInteger(const char* tag, int32_t value) {
    if (!stream_ || !writing_) {
        return;
    }
    writeHeader(kInteger, tag);
    if (!stream_->writeInt32(value)) {
        writeFailed_ = true;
    }
}

void AETaggedFile::writeFlag(const char* tag, bool flag) {
    if (!stream_ || !writing_) {
        return;
    }
    writeHeader(kFlag, tag);
    const char byte = flag ? '1' : '0';
    if (stream_->write(&byte, 1) != 1) {
        writeFailed_ = true;
    }
}

int32_t AETaggedFile::readHeader(char tagOut[5]) {
    tagOut[0] = '\0';
    if (!stream_ || writing_) {
        return -1;
    }
    int32_t type = 0;
    if (!stream_->readInt32(type) || stream_->read(tagOut, 4) != 4) {
        readFailed_ = true;
        tagOut[0] = '\0';
        return -1;
    }
    tagOut[4] = '\0';
    return type;
}

bool AETaggedFile::skipBytes(int64_t bytes) {
    const int64_t here = stream_->tell();
    if (bytes < 0 || here < 0 || bytes > fileSize_ - here) {
        readFailed_ = true;
        return false;
    }
    return stream_->seek(bytes, FSeekOrigin::kCurrent) >= 0;
}

const char* AETaggedFile::readText() {
    textWasRead_ = false;
    if (!stream_ || writing_) {
        return text_.data();
    }
    uint32_t length = 0;
    if (!stream_->readUInt32(length)) {
        readFailed_ = true;
        return text_.data();
    }
    if (length < 1 || length > static_cast<uint32_t>(kMaxTextLength)) {
        skipBytes(length);
        return text_.data();
    }
    std::array<char, kMaxTextLength + 1> incoming{};
    if (stream_->read(incoming.data(), length) != static_cast<int64_t>(length)) {
        readFailed_ = true;
        return text_.data();
    }
    // The last byte is the terminator, whatever the file holds there.
    incoming[length - 1] = '\0';
    text_ = incoming;
    textWasRead_ = true;
    return text_.data();
}

int32_t AETaggedFile::readInteger() {
    int32_t value = 0;
    if (!stream_ || writing_) {
        return -1;
    }
    if (!stream_->readInt32(value)) {
        readFailed_ = true;
        return -1;
    }
    return value;
}

bool AETaggedFile::readFlag() {
    char byte = 0;
    if (!stream_ || writing_) {
        return false;
    }
    if (stream_->read(&byte, 1) != 1) {
        readFailed_ = true;
        return false;
    }
    return byte == '1';
}

bool AETaggedFile::skipPayload(int32_t type) {
    if (!stream_ || writing_) {
        return false;
    }
    switch (type) {
    case kText: {
        uint32_t length = 0;
        if (!stream_->readUInt32(length)) {
            readFailed_ = true;
            return false;
        }
        return skipBytes(length);
    }
    case kInteger:
        return skipBytes(4);
    case kFlag:
        return skipBytes(1);
    default:
        return false;
    }
}

std::string AETaggedFile::cutText(const std::string& text, size_t maxBytes) {
    if (text.size() <= maxBytes) {
        return text;
    }
    size_t length = maxBytes;
    // Back off continuation bytes (10xxxxxx) so a character is never split.
    while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) {
        --length;
    }
    return text.substr(0, length);
}
