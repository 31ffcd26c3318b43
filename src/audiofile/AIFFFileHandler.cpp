#include "AIFFFileHandler.h"

#include "AudioFile.h"
#include "ChunkWalk.h"
#include "ExtendedFloat.h"
#include "FClassRegistry.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace {

const FRegisterClass kRegistration("AIFFFileHandler", "AudioFileHandler");

constexpr uint32_t kHeaderBytes = 54;
constexpr uint32_t kCommonBytes = 18;

bool readFormType(FFileStream& stream, bool* compressible = nullptr) {
    char form[4];
    if (!ChunkWalk::readId(stream, form)) {
        return false;
    }
    if (compressible) {
        *compressible = ChunkWalk::isId(form, "AIFC");
    }
    return ChunkWalk::isId(form, "AIFF") || ChunkWalk::isId(form, "AIFC");
}

} // namespace

AIFFFileHandler::AIFFFileHandler(AudioFile& owner) : AudioFileHandler(owner) {}

bool AIFFFileHandler::readCommon(AudioFormat& format, uint32_t& frameCount) {
    FFileStream& stream = *stream_;
    int16_t channels = 0;
    int16_t bits = 0;
    uint8_t rate[10];
    if (!stream.readInt16(channels) || !stream.readUInt32(frameCount) || !stream.readInt16(bits) ||
        stream.read(rate, sizeof rate) != sizeof rate) {
        return false;
    }
    const double sampleRate = ExtendedFloat::decode(rate);
    const int32_t bytesPerFrame = ((bits + 7) / 8) * channels;
    if (channels < 1 || bits < 1 || !(sampleRate > 0.0) || sampleRate > FLT_MAX ||
        bytesPerFrame > INT16_MAX) {
        return false;
    }
    format.sampleRate = static_cast<float>(sampleRate);
    format.channels = channels;
    format.bits = bits;
    format.sampleType = kSampleSigned;
    format.bytesPerFrame = static_cast<int16_t>(bytesPerFrame);
    return true;
}

bool AIFFFileHandler::endsBeforeAudio() {
    stream_->setBigEndian();
    return ChunkWalk::endsBeforeAudio(*stream_, "FORM", "SSND", ChunkWalk::Padding::kAlways);
}

bool AIFFFileHandler::readHeader() {
    FFileStream& stream = *stream_;
    stream.rewind();
    stream.setBigEndian();
    const int64_t fileSize = stream.size();
    AudioFormat format = fileFormat();
    format.formatFlags = 0;
    uint32_t frameCount = 0;
    uint32_t dataStart = 0;
    uint64_t soundBytes = 0;
    uint64_t claimedBytes = 0;
    bool compressible = false;
    bool seenForm = false;
    bool seenCommon = false;
    bool seenSound = false;
    auto visit = [&](const ChunkWalk::ChunkHeader& chunk, uint64_t offset, uint64_t& length) {
        bool valid = true;
        if (ChunkWalk::isId(chunk.id, "FORM") && !seenForm) {
            seenForm = true;
            valid = readFormType(stream, &compressible);
            length = 4;
        } else if (ChunkWalk::isId(chunk.id, "COMM") && !seenCommon) {
            seenCommon = true;
            valid = chunk.size >= kCommonBytes &&
                    ChunkWalk::endsWithin(offset + 8, chunk.size, fileSize) &&
                    readCommon(format, frameCount);
            // Samples of an AIFC file are plain only with the compression type "NONE".
            char compression[4];
            if (valid && compressible && chunk.size >= kCommonBytes + 4 &&
                ChunkWalk::readId(stream, compression) && !ChunkWalk::isId(compression, "NONE")) {
                markUnsupported();
                valid = false;
            }
        } else if (ChunkWalk::isId(chunk.id, "SSND") && !seenSound) {
            seenSound = true;
            uint32_t soundOffset = 0;
            // A chunk running past the end is a recording cut short: nothing follows it,
            // so "COMM" must have come before.
            const uint64_t present =
                std::min<uint64_t>(chunk.size, static_cast<uint64_t>(fileSize) - (offset + 8));
            const bool cut = present < chunk.size;
            valid = present >= 8 && stream.readUInt32(soundOffset) && soundOffset <= present - 8 &&
                    offset + 16 + soundOffset <= UINT32_MAX && (!cut || seenCommon);
            if (valid) {
                dataStart = static_cast<uint32_t>(offset + 16 + soundOffset);
                soundBytes = present - 8 - soundOffset;
                claimedBytes = chunk.size - 8 - soundOffset;
            }
            if (cut) {
                return ChunkWalk::verdict(valid, true);
            }
        }
        return ChunkWalk::verdict(valid, seenCommon && seenSound);
    };
    if (!ChunkWalk::walk(stream, "FORM", ChunkWalk::Padding::kAlways, visit) || !isUsable(format)) {
        return false;
    }
    const uint64_t held = soundBytes / static_cast<uint64_t>(format.bytesPerFrame);
    const uint64_t claimed = claimedBytes / static_cast<uint64_t>(format.bytesPerFrame);
    fileFormat() = format;
    frames() = static_cast<int32_t>(std::min<uint64_t>({frameCount, held, INT32_MAX}));
    headerFrames() = static_cast<int32_t>(std::min<uint64_t>({frameCount, claimed, INT32_MAX}));
    dataOffset() = dataStart;
    swapWord() = 1;
    stream.seek(dataStart, FSeekOrigin::kBegin); // at the first frame
    return true;
}

bool AIFFFileHandler::writeCommon() {
    FFileStream& stream = *stream_;
    const AudioFormat& format = fileFormat();
    uint8_t rate[10];
    ExtendedFloat::encode(format.sampleRate, rate);
    return stream.writeInt16(format.channels) &&
           stream.writeUInt32(static_cast<uint32_t>(std::max(frames(), 0))) &&
           stream.writeInt16(format.bits) && stream.write(rate, sizeof rate) == sizeof rate;
}

bool AIFFFileHandler::writeHeader() {
    FFileStream& stream = *stream_;
    stream.rewind();
    stream.setBigEndian();
    swapWord() = 1;
    fileFormat().formatFlags = 0;
    bool ok = stream.write("FORM", 4) == 4 && stream.writeUInt32(kHeaderBytes) &&
              stream.write("AIFFCOMM", 8) == 8 && stream.writeUInt32(kCommonBytes) &&
              writeCommon() && stream.write("SSND", 4) == 4 && stream.writeUInt32(8) &&
              stream.writeUInt32(0) && stream.writeUInt32(0);
    dataOffset() = kHeaderBytes;
    return stream.flush() && ok;
}

bool AIFFFileHandler::updateHeader() {
    if (!stream_) {
        return false;
    }
    FFileStream& stream = *stream_;
    stream.rewind();
    stream.setBigEndian();
    const uint64_t dataBytes = static_cast<uint64_t>(std::max(frames(), 0)) *
                               static_cast<uint64_t>(fileFormat().bytesPerFrame);
    bool seenForm = false;
    bool seenCommon = false;
    bool seenSound = false;
    auto visit = [&](const ChunkWalk::ChunkHeader& chunk, uint64_t offset, uint64_t& length) {
        bool valid = true;
        if (ChunkWalk::isId(chunk.id, "FORM") && !seenForm) {
            seenForm = true;
            valid = readFormType(stream) && ChunkWalk::seekTo(stream, offset + 4) &&
                    stream.writeUInt32(containerSize());
            length = 4;
        } else if (ChunkWalk::isId(chunk.id, "COMM") && !seenCommon) {
            seenCommon = true;
            // A shorter chunk would have its neighbour overwritten.
            valid = chunk.size >= kCommonBytes && writeCommon();
        } else if (ChunkWalk::isId(chunk.id, "SSND") && !seenSound) {
            seenSound = true;
            valid = dataOffset() >= offset + 16;
            if (valid) {
                const uint64_t soundOffset = dataOffset() - (offset + 16);
                const auto size = static_cast<uint32_t>(
                    std::min<uint64_t>(dataBytes + soundOffset + 8, UINT32_MAX));
                valid = stream.writeUInt32(static_cast<uint32_t>(soundOffset)) &&
                        stream.writeUInt32(0) && ChunkWalk::seekTo(stream, offset + 4) &&
                        stream.writeUInt32(size);
                length = size;
            }
        }
        return ChunkWalk::verdict(valid, seenCommon && seenSound);
    };
    bool verdict = ChunkWalk::walk(stream, "FORM", ChunkWalk::Padding::kAlways, visit);
    return stream.flush() && verdict;
}
