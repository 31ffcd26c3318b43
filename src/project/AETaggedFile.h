#pragma once

#include "FFileStream.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>

// A file of tagged records, as the project file uses them. Each record is a 32-bit record
// type (1 text, 2 integer, 3 flag), a four-character tag and the payload: a text is a
// 32-bit length L (bytes + 1), the bytes and a zero; an integer is 32 bits; a flag one
// byte, '1' or '0'. All numbers are little-endian. There is no header and no trailer.
//
// Texts are UTF-8 bytes; a text longer than kMaxTextBytes is cut at a character boundary
// when written, and the reader accepts lengths 1..kMaxTextLength only.
//
// Writing never touches the named file until the whole file has been written: records go
// to a file beside it, which finishWrite() moves over the old one. Closing without
// finishWrite() (or any failed write) leaves the old file as it was.
//
// Reading never goes past what a record says it holds: a record can always be skipped by
// its type and length, and a read past the end of the file marks the reader failed.
class AETaggedFile {
public:
    enum RecordType : int32_t { kText = 1, kInteger = 2, kFlag = 3 };
    static constexpr int32_t kMaxTextLength = 1023; // including the terminating zero
    static constexpr size_t kMaxTextBytes = kMaxTextLength - 1;

    explicit AETaggedFile(std::string path);
    ~AETaggedFile();
    AETaggedFile(const AETaggedFile&) = delete;
    AETaggedFile& operator=(const AETaggedFile&) = delete;

    // Close any open file, then open for writing (beside the named file) or reading.
    bool openForWrite();
    bool openForRead();
    // True when a file was open. An unfinished write is discarded.
    bool close();
    // Flushes the records to disk and moves them over the named file; false (and the old
    // file untouched) when any write failed or the move did.
    bool finishWrite();

    // Append one record; nothing is written when no file is open for writing.
    void writeText(const char* tag, const std::string& text);
    void writeInteger(const char* tag, int32_t value);
    void writeFlag(const char* tag, bool flag);

    // Reads a record's type and tag; returns the type, or −1 when no file is open or
    // nothing more could be read. `tagOut` receives the tag, zero-terminated.
    int32_t readHeader(char tagOut[5]);
    // The text of a record of length 1..kMaxTextLength. Any other length is skipped and the
    // previous text returned unchanged; textWasRead() tells the two apart.
    const char* readText();
    bool textWasRead() const { return textWasRead_; }
    // The value, or −1 when nothing could be read.
    int32_t readInteger();
    bool readFlag();
    // Skips the payload of a record of `type`; false for an unknown type (the rest of the
    // file cannot be lined up then).
    bool skipPayload(int32_t type);

    // True once a read found the file shorter than its records say.
    bool readFailed() const { return readFailed_; }
    bool isOpen() const { return stream_ != nullptr; }
    const std::string& path() const { return path_; }
    // The file written before finishWrite() moves it into place.
    std::string pendingPath() const { return path_ + ".saving"; }

    // A tag as the big-endian number of its four characters ("Slpa" is 0x536C7061); a
    // shorter name counts as padded with blanks.
    static constexpr uint32_t tagValue(const char* tag) {
        uint32_t value = 0;
        bool ended = false;
        for (int i = 0; i < 4; ++i) {
            ended = ended || tag[i] == '\0';
            value = (value << 8) | static_cast<unsigned char>(ended ? ' ' : tag[i]);
        }
        return value;
    }
    // `text` cut to at most `maxBytes` bytes, never inside a UTF-8 character.
    static std::string cutText(const std::string& text, size_t maxBytes);

private:
    void writeHeader(int32_t type, const char* tag);
    bool skipBytes(int64_t bytes);

    std::string path_;
    std::unique_ptr<FFileStream> stream_;
    bool writing_ = false;
    bool writeFailed_ = false;
    bool readFailed_ = false;
    bool textWasRead_ = false;
    int64_t fileSize_ = 0;
    std::array<char, kMaxTextLength + 1> text_{};
};
