#include "ChunkWalk.h"

#include <cstring>

namespace ChunkWalk {

bool seekTo(FFileStream& stream, uint64_t offset) {
    return offset <= static_cast<uint64_t>(INT64_MAX) &&
           stream.seek(static_cast<int64_t>(offset), FSeekOrigin::kBegin) >= 0;
}

bool readId(FFileStream& stream, char id[4]) {
    return stream.read(id, 4) == 4;
}

bool readHeader(FFileStream& stream, uint64_t offset, ChunkHeader& header) {
    return seekTo(stream, offset) && readId(stream, header.id) && stream.readUInt32(header.size);
}

bool isId(const char id[4], const char* text) {
    return std::memcmp(id, text, 4) == 0;
}

bool endsWithin(uint64_t bodyOffset, uint64_t length, int64_t fileSize) {
    return fileSize >= 0 && bodyOffset + length <= static_cast<uint64_t>(fileSize);
}

Step verdict(bool valid, bool done) {
    if (!valid) {
        return Step::kInvalid;
    }
    return done ? Step::kDone : Step::kNext;
}

std::optional<uint32_t> nextOffset(FFileStream& stream, uint64_t offset, uint64_t length,
                                   Padding padding) {
    if ((length & 1) != 0) {
        uint8_t pad = 0xFF;
        if (padding == Padding::kAlways ||
            (padding == Padding::kWhenPresent && seekTo(stream, offset + 8 + length) &&
             stream.read(&pad, 1) == 1 && pad == 0)) {
            ++length;
        }
    }
    const uint64_t next = offset + 8 + length;
    if (next > UINT32_MAX) {
        return std::nullopt;
    }
    return static_cast<uint32_t>(next);
}

bool endsBeforeAudio(FFileStream& stream, const char* outerId, const char* audioId,
                     Padding padding) {
    const int64_t size = stream.size();
    ChunkHeader chunk;
    if (!readHeader(stream, 0, chunk) || !isId(chunk.id, outerId)) {
        return false;
    }
    // The outer chunk's body starts with its 4-byte form type.
    uint64_t offset = 12;
    for (;;) {
        if (static_cast<int64_t>(offset + 8) > size) {
            return true;
        }
        if (!readHeader(stream, offset, chunk)) {
            return false;
        }
        if (isId(chunk.id, audioId)) {
            return false;
        }
        if (!endsWithin(offset + 8, chunk.size, size)) {
            return true;
        }
        const auto next = nextOffset(stream, offset, chunk.size, padding);
        if (!next) {
            return false;
        }
        offset = *next;
    }
}

} // namespace ChunkWalk
