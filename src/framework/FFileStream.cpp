#include "FFileStream.h"

#include <sys/stat.h>

namespace {

uint16_t swap16(uint16_t v) {
    return static_cast<uint16_t>((v >> 8) | (v << 8));
}
uint32_t swap32(uint32_t v) {
    return (v >> 24) | ((v >> 8) & 0xFF00u) | ((v << 8) & 0xFF0000u) | (v << 24);
}

} // namespace

FFileStream::FFileStream(std::FILE* file, std::string path) : file_(file), path_(std::move(path)) {}

FFileStream::~FFileStream() {
    if (file_) {
        std::fclose(file_);
    }
}

int64_t FFileStream::read(void* buffer, int64_t bytes) {
    if (bytes <= 0) {
        return 0;
    }
    // stdio requires a positioning call between a write and a following read.
    if (lastWasWrite_) {
        std::fseek(file_, 0, SEEK_CUR);
        lastWasWrite_ = false;
    }
    lastWasRead_ = true;
    return static_cast<int64_t>(std::fread(buffer, 1, static_cast<size_t>(bytes), file_));
}

int64_t FFileStream::write(const void* buffer, int64_t bytes) {
    if (bytes <= 0) {
        return 0;
    }
    if (lastWasRead_) {
        std::fseek(file_, 0, SEEK_CUR);
        lastWasRead_ = false;
    }
    lastWasWrite_ = true;
    return static_cast<int64_t>(std::fwrite(buffer, 1, static_cast<size_t>(bytes), file_));
}

int64_t FFileStream::seek(int64_t offset, FSeekOrigin origin) {
    int whence = origin == FSeekOrigin::kBegin     ? SEEK_SET
                 : origin == FSeekOrigin::kCurrent ? SEEK_CUR
                                                   : SEEK_END;
    lastWasRead_ = lastWasWrite_ = false;
    if (fseeko(file_, static_cast<off_t>(offset), whence) != 0) {
        return -1;
    }
    return tell();
}

int64_t FFileStream::tell() {
    return static_cast<int64_t>(ftello(file_));
}

void FFileStream::rewind() {
    seek(0, FSeekOrigin::kBegin);
}

bool FFileStream::flush() {
    return std::fflush(file_) == 0;
}

int64_t FFileStream::size() {
    std::fflush(file_);
    struct stat st {};
    if (fstat(fileno(file_), &st) != 0) {
        return -1;
    }
    return static_cast<int64_t>(st.st_size);
}

bool FFileStream::readUInt16(uint16_t& value) {
    uint16_t raw = 0;
    if (read(&raw, 2) != 2) {
        return false;
    }
    value = swap_ ? swap16(raw) : raw;
    return true;
}

bool FFileStream::readInt16(int16_t& value) {
    uint16_t raw = 0;
    if (!readUInt16(raw)) {
        return false;
    }
    value = static_cast<int16_t>(raw);
    return true;
}

bool FFileStream::readUInt32(uint32_t& value) {
    uint32_t raw = 0;
    if (read(&raw, 4) != 4) {
        return false;
    }
    value = swap_ ? swap32(raw) : raw;
    return true;
}

bool FFileStream::readInt32(int32_t& value) {
    uint32_t raw = 0;
    if (!readUInt32(raw)) {
        return false;
    }
    value = static_cast<int32_t>(raw);
    return true;
}

bool FFileStream::writeUInt16(uint16_t value) {
    uint16_t raw = swap_ ? swap16(value) : value;
    return write(&raw, 2) == 2;
}

bool FFileStream::writeInt16(int16_t value) {
    return writeUInt16(static_cast<uint16_t>(value));
}

bool FFileStream::writeUInt32(uint32_t value) {
    uint32_t raw = swap_ ? swap32(value) : value;
    return write(&raw, 4) == 4;
}

bool FFileStream::writeInt32(int32_t value) {
    return writeUInt32(static_cast<uint32_t>(value));
}
