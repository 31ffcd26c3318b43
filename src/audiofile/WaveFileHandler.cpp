#include "WaveFileHandler.h"

#include "AudioFile.h"
#include "ChunkWalk.h"
#include "FClassRegistry.h"
#include "FFileSystem.h"

#include <algorithm>
#include <cstring>

namespace {

const FRegisterClass kRegistration("WaveFileHandler", "AudioFileHandler");

constexpr uint16_t kTagPcm = 1;
constexpr uint16_t kTagFloat = 3;
constexpr uint16_t kTagExtensible = 0xFFFE;
constexpr uint32_t kHeaderBytes = 44;
// Up to the sub-format of an extensible "fmt " chunk.
constexpr uint32_t kExtensibleFormatBytes = 40;

uint16_t littleEndian16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

uint32_t littleEndian32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

} // namespace

WaveFileHandler::WaveFileHandler(AudioFile& owner) : AudioFileHandler(owner) {}

bool WaveFileHandler::readFormatChunk(uint32_t size, AudioFormat& format, uint16_t& blockAlign) {
    FFileStream& stream = *stream_;
    uint16_t tag = 0;
    uint16_t channels = 0;
    uint32_t rate = 0;
    uint32_t byteRate = 0;
    if (size < 14 || !stream.readUInt16(tag) || !stream.readUInt16(channels) ||
        !stream.readUInt32(rate) || !stream.readUInt32(byteRate) ||
        !stream.readUInt16(blockAlign)) {
        return false;
    }
    // Other format tags are compressed codings, which only the import's decoder reads.
    if (tag != kTagPcm && tag != kTagFloat && tag != kTagExtensible) {
        markUnsupported();
        return false;
    }
    uint16_t bits = 8;
    uint16_t effectiveTag = tag;
    if (size < 16 || !stream.readUInt16(bits)) {
        return false;
    }
    if (tag == kTagExtensible) {
        uint16_t extraSize = 0;
        uint16_t validBits = 0;
        uint32_t channelMask = 0;
        effectiveTag = 0;
        if (size >= kExtensibleFormatBytes &&
            !(stream.readUInt16(extraSize) && stream.readUInt16(validBits) &&
              stream.readUInt32(channelMask) && stream.readUInt16(effectiveTag))) {
            return false;
        }
        if (effectiveTag != kTagPcm && effectiveTag != kTagFloat) {
            markUnsupported();
            return false;
        }
    }
    // Samples of 12 or 20 bits are stored in whole bytes.
    const int32_t bytesPerFrame = ((bits + 7) / 8) * channels;
    if (channels == 0 || bits > INT16_MAX || channels > INT16_MAX || bytesPerFrame > INT16_MAX) {
        return false;
    }
    format.sampleRate = static_cast<float>(rate);
    format.channels = static_cast<int16_t>(channels);
    format.bits = static_cast<int16_t>(bits);
    format.sampleType = bits == 8                                   ? kSampleUnsigned
                        : (effectiveTag == kTagFloat && bits == 32) ? kSampleFloat
                                                                    : kSampleSigned;
    format.bytesPerFrame = static_cast<int16_t>(bytesPerFrame);
    return true;
}

bool WaveFileHandler::endsBeforeAudio() {
    stream_->setLittleEndian();
    return ChunkWalk::endsBeforeAudio(*stream_, "RIFF", "data", ChunkWalk::Padding::kWhenPresent);
}

bool WaveFileHandler::readHeader() {
    FFileStream& stream = *stream_;
    stream.rewind();
    stream.setLittleEndian();
    const int64_t fileSize = stream.size();
    AudioFormat format = fileFormat();
    format.formatFlags = 0;
    uint16_t blockAlign = 0;
    uint32_t dataSize = 0;
    uint32_t claimedSize = 0;
    uint32_t dataStart = 0;
    bool seenRiff = false;
    bool seenFormat = false;
    bool seenData = false;
    auto visit = [&](const ChunkWalk::ChunkHeader& chunk, uint64_t offset, uint64_t& length) {
        bool valid = false;
        if (ChunkWalk::isId(chunk.id, "RIFF") && !seenRiff) {
            seenRiff = true;
            char form[4];
            valid = ChunkWalk::readId(stream, form) && ChunkWalk::isId(form, "WAVE");
            length = 4; // the chunks inside RIFF follow its form type
        } else if (ChunkWalk::isId(chunk.id, "fmt ") && !seenFormat) {
            seenFormat = true;
            valid = ChunkWalk::endsWithin(offset + 8, chunk.size, fileSize) &&
                    readFormatChunk(chunk.size, format, blockAlign);
        } else if (ChunkWalk::isId(chunk.id, "data") && !seenData) {
            seenData = true;
            claimedSize = chunk.size;
            dataSize = static_cast<uint32_t>(
                std::min<uint64_t>(chunk.size, static_cast<uint64_t>(fileSize) - (offset + 8)));
            dataStart = static_cast<uint32_t>(offset + 8);
            valid = offset + 8 + dataSize <= UINT32_MAX;
            if (dataSize < claimedSize) {
                // Cut short: nothing follows, so the format must have come before.
                return ChunkWalk::verdict(valid && seenFormat, true);
            }
        } else {
            valid = !ChunkWalk::isId(chunk.id, "RIFF") && !ChunkWalk::isId(chunk.id, "fmt ");
        }
        return ChunkWalk::verdict(valid, seenFormat && seenData);
    };
    if (!ChunkWalk::walk(stream, "RIFF", ChunkWalk::Padding::kWhenPresent, visit)) {
        return false;
    }
    // Frames are counted only now, so a "data" chunk may come before "fmt ". A block align
    // smaller than the frame would count frames the data chunk does not hold.
    if (!isUsable(format) || blockAlign == 0) {
        return false;
    }
    const uint32_t frameBytes = std::max<uint32_t>(blockAlign, format.bytesPerFrame);
    fileFormat() = format;
    frames() = static_cast<int32_t>(std::min<uint32_t>(dataSize / frameBytes, INT32_MAX));
    headerFrames() = static_cast<int32_t>(std::min<uint32_t>(claimedSize / frameBytes, INT32_MAX));
    dataOffset() = dataStart;
    swapWord() = 0;
    stream.seek(dataStart, FSeekOrigin::kBegin); // at the first frame, whatever the order
    return true;
}

WavePcmFormat WaveFileHandler::formatRecord() {
    const AudioFormat& format = fileFormat();
    WavePcmFormat record;
    record.formatTag = format.sampleType == kSampleFloat && format.bits == 32 ? kTagFloat : kTagPcm;
    record.channels = static_cast<uint16_t>(format.channels);
    record.sampleRate = integerSampleRate();
    record.blockAlign = static_cast<uint16_t>(((format.bits + 7) / 8) * format.channels);
    record.byteRate = record.blockAlign * record.sampleRate;
    record.bits = static_cast<uint16_t>(format.bits);
    return record;
}

bool WaveFileHandler::writeFormatRecord(const WavePcmFormat& record) {
    FFileStream& stream = *stream_;
    return stream.writeUInt16(record.formatTag) && stream.writeUInt16(record.channels) &&
           stream.writeUInt32(record.sampleRate) && stream.writeUInt32(record.byteRate) &&
           stream.writeUInt16(record.blockAlign) && stream.writeUInt16(record.bits);
}

bool WaveFileHandler::writeHeader() {
    FFileStream& stream = *stream_;
    stream.rewind();
    stream.setLittleEndian();
    swapWord() = 0;
    fileFormat().formatFlags = 0;
    dataOffset() = kHeaderBytes;
    bool ok = stream.write("RIFF", 4) == 4 && stream.writeUInt32(kHeaderBytes) &&
              stream.write("WAVEfmt ", 8) == 8 && stream.writeUInt32(16) &&
              writeFormatRecord(formatRecord()) && stream.write("data", 4) == 4 &&
              stream.writeUInt32(0);
    return stream.flush() && ok;
}

bool WaveFileHandler::updateHeader() {
    if (!stream_) {
        return false;
    }
    FFileStream& stream = *stream_;
    stream.rewind();
    stream.setLittleEndian();
    const WavePcmFormat record = formatRecord();
    const uint32_t dataBytes = static_cast<uint32_t>(std::min<int64_t>(
        static_cast<int64_t>(std::max(frames(), 0)) * record.blockAlign, UINT32_MAX));
    bool seenRiff = false;
    bool seenFormat = false;
    bool seenData = false;
    auto visit = [&](const ChunkWalk::ChunkHeader& chunk, uint64_t offset, uint64_t& length) {
        bool valid = true;
        if (ChunkWalk::isId(chunk.id, "RIFF") && !seenRiff) {
            seenRiff = true;
            char form[4];
            valid = ChunkWalk::seekTo(stream, offset + 4) && stream.writeUInt32(containerSize()) &&
                    ChunkWalk::readId(stream, form) && ChunkWalk::isId(form, "WAVE");
            length = 4;
        } else if (ChunkWalk::isId(chunk.id, "fmt ") && !seenFormat) {
            seenFormat = true;
            // A shorter chunk would have its neighbour overwritten.
            valid = chunk.size >= 16 && writeFormatRecord(record);
        } else if (ChunkWalk::isId(chunk.id, "data") && !seenData) {
            seenData = true;
            valid = ChunkWalk::seekTo(stream, offset + 4) && stream.writeUInt32(dataBytes);
            length = dataBytes;
        } else {
            valid = !ChunkWalk::isId(chunk.id, "RIFF") && !ChunkWalk::isId(chunk.id, "fmt ");
        }
        return ChunkWalk::verdict(valid, seenFormat && seenData);
    };
    bool verdict = ChunkWalk::walk(stream, "RIFF", ChunkWalk::Padding::kWhenPresent, visit);
    return stream.flush() && verdict;
}

void WaveFileHandler::probeWaveFormat(const std::string& path, WavePcmFormat& record) {
    record = WavePcmFormat{};
    auto stream = FFileSystem::open(path, FAccessMode::kRead);
    if (!stream) {
        return;
    }
    uint8_t head[100] = {};
    int64_t got = stream->read(head, sizeof head);
    // The record is the 16 bytes after the "fmt " chunk's id and size at offset 12.
    if (got < 36 || std::memcmp(head, "RIFF", 4) != 0 ||
        std::memcmp(head + 8, "WAVEfmt ", 8) != 0) {
        return;
    }
    const uint8_t* fields = head + 20;
    record.formatTag = littleEndian16(fields);
    record.channels = littleEndian16(fields + 2);
    record.sampleRate = littleEndian32(fields + 4);
    record.byteRate = littleEndian32(fields + 8);
    record.blockAlign = littleEndian16(fields + 12);
    record.bits = littleEndian16(fields + 14);
}

bool WaveFileHandler::isCdStereoFormat(const WavePcmFormat& record) {
    return record.formatTag == kTagPcm && record.channels == 2 && record.sampleRate == 44100 &&
           record.byteRate == 176400 && record.blockAlign == 4 && record.bits == 16;
}

bool WaveFileHandler::isCdMonoFormat(const WavePcmFormat& record) {
    return record.formatTag == kTagPcm && record.channels == 1 && record.sampleRate == 44100 &&
           record.byteRate == 88200 && record.blockAlign == 2 && record.bits == 16;
}
