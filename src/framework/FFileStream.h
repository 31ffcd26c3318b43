#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

// Access modes of the file system. Values are the framework's own; kRead (5) opens an
// existing file for reading only, kReadWrite an existing file for reading and writing.
enum class FAccessMode : int32_t {
    kReadWrite = 3,
    kRead = 5,
};

enum class FSeekOrigin : int32_t { kBegin = 0, kCurrent = 1, kEnd = 2 };

// A binary file stream. Reads and writes go straight to the file (stdio buffering only).
// The byte-order flag, when set, swaps the bytes of every 16- and 32-bit value read or
// written through the value operations; raw read()/write() never swap. Positions and
// sizes are 64-bit; failures are negative results or false, never exceptions.
class FFileStream {
public:
    FFileStream(std::FILE* file, std::string path);
    ~FFileStream();
    FFileStream(const FFileStream&) = delete;
    FFileStream& operator=(const FFileStream&) = delete;

    // Bytes read or written (0 at end of file or on failure).
    int64_t read(void* buffer, int64_t bytes);
    int64_t write(const void* buffer, int64_t bytes);
    // The new position, or −1.
    int64_t seek(int64_t offset, FSeekOrigin origin = FSeekOrigin::kBegin);
    int64_t tell();
    void rewind();
    bool flush();
    // Size of the file in bytes, or −1.
    int64_t size();

    void setSwap(bool swap) { swap_ = swap; }
    bool swap() const { return swap_; }
    // Little-endian values on disk: swap off on this (little-endian) machine.
    void setLittleEndian() { swap_ = false; }
    void setBigEndian() { swap_ = true; }

    bool readInt16(int16_t& value);
    bool readUInt16(uint16_t& value);
    bool readInt32(int32_t& value);
    bool readUInt32(uint32_t& value);
    bool writeInt16(int16_t value);
    bool writeUInt16(uint16_t value);
    bool writeInt32(int32_t value);
    bool writeUInt32(uint32_t value);

    const std::string& path() const { return path_; }
    std::FILE* handle() const { return file_; }

private:
    std::FILE* file_;
    std::string path_;
    bool swap_ = false;
    bool lastWasWrite_ = false;
    bool lastWasRead_ = false;
};
