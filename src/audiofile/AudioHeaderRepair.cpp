#include "AudioHeaderRepair.h"

#include "AudioFileTypes.h"
#include "ChunkWalk.h"
#include "FFileSystem.h"

#include <algorithm>
#include <cctype>

namespace {

// Where the lengths of a file's header are, and what they say.
struct Layout {
    bool bigEndian = false;
    ChunkWalk::Padding padding = ChunkWalk::Padding::kWhenPresent;
    uint32_t outerSize = 0;
    uint64_t dataChunk = 0;  // offset of the "data" or "SSND" chunk
    uint32_t dataSize = 0;   // its size field
    uint32_t leadBytes = 0;  // bytes of its body before the first frame (SSND offset fields)
    uint32_t frameBytes = 0; // bytes per frame
    uint64_t countField = 0; // offset of the COMM frame count, 0 for WAVE
    uint32_t countValue = 0;
};

bool printableId(const char id[4]) {
    return std::all_of(id, id + 4, [](char c) { return c >= 0x20 && c < 0x7F; });
}

// True when whole chunks follow from `offset` up to exactly the end of the file.
bool chunksToEnd(FFileStream& stream, uint64_t offset, int64_t fileSize,
                 ChunkWalk::Padding padding) {
    const auto end = static_cast<uint64_t>(fileSize);
    while (offset < end) {
        ChunkWalk::ChunkHeader chunk;
        if (offset + 8 > end || !ChunkWalk::readHeader(stream, offset, chunk) ||
            !printableId(chunk.id)) {
            return false;
        }
        auto next = ChunkWalk::nextOffset(stream, offset, chunk.size, padding);
        if (!next || *next > end) {
            return false;
        }
        offset = *next;
    }
    return offset == end;
}

// Reads the chunks up to the sample data; false when the file is no WAVE or AIFF, the
// format is unreadable or comes after the data.
bool readLayout(FFileStream& stream, int64_t fileSize, Layout& layout) {
    uint8_t head[AudioFileTypes::kMagicBytes];
    if (stream.read(head, sizeof head) != sizeof head) {
        return false;
    }
    const int32_t kind = AudioFileTypes::identifyContent(head, sizeof head);
    if (kind == kAudioKindUnknown) {
        return false;
    }
    const bool wave = kind == kAudioKindWAVE;
    layout.bigEndian = !wave;
    layout.padding = wave ? ChunkWalk::Padding::kWhenPresent : ChunkWalk::Padding::kAlways;
    if (wave) {
        stream.setLittleEndian();
    } else {
        stream.setBigEndian();
    }
    if (!ChunkWalk::seekTo(stream, 4) || !stream.readUInt32(layout.outerSize)) {
        return false;
    }
    uint64_t offset = 12;
    for (;;) {
        ChunkWalk::ChunkHeader chunk;
        if (offset + 8 > static_cast<uint64_t>(fileSize) ||
            !ChunkWalk::readHeader(stream, offset, chunk)) {
            return false;
        }
        if (wave && ChunkWalk::isId(chunk.id, "fmt ") && layout.frameBytes == 0) {
            uint16_t tag = 0, channels = 0, blockAlign = 0;
            uint32_t rate = 0, byteRate = 0;
            if (chunk.size < 16 || !stream.readUInt16(tag) || !stream.readUInt16(channels) ||
                !stream.readUInt32(rate) || !stream.readUInt32(byteRate) ||
                !stream.readUInt16(blockAlign)) {
                return false;
            }
            layout.frameBytes = blockAlign;
        } else if (!wave && ChunkWalk::isId(chunk.id, "COMM") && layout.frameBytes == 0) {
            int16_t channels = 0, bits = 0;
            if (chunk.size < 18 || !stream.readInt16(channels) ||
                !stream.readUInt32(layout.countValue) || !stream.readInt16(bits) || channels < 1 ||
                bits < 1) {
                return false;
            }
            layout.countField = offset + 10;
            layout.frameBytes = static_cast<uint32_t>(((bits + 7) / 8) * channels);
        } else if (ChunkWalk::isId(chunk.id, wave ? "data" : "SSND")) {
            layout.dataChunk = offset;
            layout.dataSize = chunk.size;
            if (!wave && !stream.readUInt32(layout.leadBytes)) {
                return false;
            }
            layout.leadBytes = wave ? 0 : layout.leadBytes + 8;
            return layout.frameBytes > 0;
        }
        auto next = ChunkWalk::nextOffset(stream, offset, chunk.size, layout.padding);
        if (!next) {
            return false;
        }
        offset = *next;
    }
}

bool writeAt(FFileStream& stream, uint64_t offset, uint32_t value) {
    return ChunkWalk::seekTo(stream, offset) && stream.writeUInt32(value);
}

} // namespace

AudioHeaderRepair AudioHeaderRepair::repair(const std::string& path) {
    AudioHeaderRepair result;
    Layout layout;
    int64_t fileSize = 0;
    {
        auto stream = FFileSystem::open(path, FAccessMode::kRead);
        if (!stream) {
            return result;
        }
        fileSize = stream->size();
        if (fileSize < 0 || !readLayout(*stream, fileSize, layout)) {
            return result;
        }
        const uint64_t body = layout.dataChunk + 8;
        const uint64_t present = static_cast<uint64_t>(fileSize) - body;
        // The first frame must lie in the file and within the headers' 32-bit reach.
        if (present < layout.leadBytes || body + layout.leadBytes > UINT32_MAX) {
            return result;
        }
        const uint64_t claimedFrames =
            layout.dataSize >= layout.leadBytes
                ? (layout.dataSize - layout.leadBytes) / layout.frameBytes
                : 0;
        result.framesBefore = static_cast<int32_t>(
            std::min<uint64_t>(layout.countField ? layout.countValue : claimedFrames, INT32_MAX));
        // Whole chunks after the data: the data is not the last chunk, nothing to mend.
        if (layout.dataSize <= present) {
            const auto after =
                ChunkWalk::nextOffset(*stream, layout.dataChunk, layout.dataSize, layout.padding);
            if (after && chunksToEnd(*stream, *after, fileSize, layout.padding)) {
                result.ok = true;
                result.framesAfter = result.framesBefore;
                return result;
            }
        }
    }
    const uint64_t body = layout.dataChunk + 8;
    const uint64_t room = std::min<uint64_t>(static_cast<uint64_t>(fileSize), UINT32_MAX) - body;
    const uint64_t frames =
        std::min<uint64_t>((room - layout.leadBytes) / layout.frameBytes, INT32_MAX);
    const uint64_t dataSize = layout.leadBytes + frames * layout.frameBytes;
    const uint64_t dataEnd = body + dataSize;
    const bool padded = (dataSize & 1) != 0 && dataEnd < static_cast<uint64_t>(fileSize);
    const auto outerSize = static_cast<uint32_t>(dataEnd + (padded ? 1 : 0) - 8);
    result.framesAfter = static_cast<int32_t>(frames);
    const bool outerAgrees =
        layout.outerSize + 8 >= dataEnd && layout.outerSize + 8 <= static_cast<uint64_t>(fileSize);
    const bool dataAgrees =
        layout.dataSize == dataSize && (!layout.countField || layout.countValue == frames);
    if (outerAgrees && dataAgrees) {
        result.ok = true;
        return result;
    }
    auto stream = FFileSystem::open(path, FAccessMode::kReadWrite);
    if (!stream) {
        return result;
    }
    stream->setSwap(layout.bigEndian);
    bool ok = writeAt(*stream, 4, outerAgrees ? layout.outerSize : outerSize) &&
              writeAt(*stream, layout.dataChunk + 4, static_cast<uint32_t>(dataSize));
    if (layout.countField) {
        ok = ok && writeAt(*stream, layout.countField, static_cast<uint32_t>(frames));
    }
    result.ok = stream->flush() && ok;
    result.changed = true;
    return result;
}
