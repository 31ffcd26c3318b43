#pragma once

#include "FFileStream.h"

#include <cstdint>
#include <optional>

// The chunk walks of the WAVE and AIFF handlers. Offsets are kept in 64 bits while they
// are computed and must fit the formats' 32-bit fields to be used.
namespace ChunkWalk {

struct ChunkHeader {
    char id[4] = {};
    uint32_t size = 0; // in the stream's byte order
};

// What a visitor makes of one chunk.
enum class Step { kInvalid, kNext, kDone };

// How the chunk after an odd-sized body is found.
enum class Padding {
    kNone,
    // RIFF: writers that follow the standard put a pad byte after an odd-sized body and
    // others do not, so it is skipped only when it is there (a chunk id never begins with
    // a NUL byte).
    kWhenPresent,
    kAlways, // AIFF
};

// Seeks to `offset` and reads the chunk's id and size; false when the seek or a read fails.
bool readHeader(FFileStream& stream, uint64_t offset, ChunkHeader& header);
bool readId(FFileStream& stream, char id[4]);
bool isId(const char id[4], const char* text);
// Seeks to `offset`; false when it is out of reach.
bool seekTo(FFileStream& stream, uint64_t offset);
// True when a chunk body of `length` bytes at `bodyOffset` ends within a file of `fileSize`.
bool endsWithin(uint64_t bodyOffset, uint64_t length, int64_t fileSize);
Step verdict(bool valid, bool done);
// The offset of the chunk after the one at `offset` with a body of `length` bytes, or
// nothing when it would not fit a 32-bit offset.
std::optional<uint32_t> nextOffset(FFileStream& stream, uint64_t offset, uint64_t length,
                                   Padding padding);

// True when a file that begins with the chunk `outerId` ends among the chunks ahead of
// the audio: inside a chunk's header or body, or before any `audioId` chunk begins.
bool endsBeforeAudio(FFileStream& stream, const char* outerId, const char* audioId,
                     Padding padding);

// Walks the chunks from offset 0: the first must be `outerId`. For each chunk `visit`
// (chunk header, chunk offset, body length) decides; it finds the stream just after the
// chunk's size field, and may change the length to skip (the outer chunk's body is only
// its 4-byte form type). The walk fails on an invalid step, a failed seek or read, or an
// offset past the 32-bit range, so it always ends: each step moves on by at least 8 bytes.
template <class Visit>
bool walk(FFileStream& stream, const char* outerId, Padding padding, Visit&& visit) {
    uint64_t offset = 0;
    for (;;) {
        ChunkHeader chunk;
        if (!readHeader(stream, offset, chunk) || (offset == 0 && !isId(chunk.id, outerId))) {
            return false;
        }
        uint64_t length = chunk.size;
        const Step step = visit(chunk, offset, length);
        if (step != Step::kNext) {
            return step == Step::kDone;
        }
        auto next = nextOffset(stream, offset, length, padding);
        if (!next) {
            return false;
        }
        offset = *next;
    }
}

} // namespace ChunkWalk
