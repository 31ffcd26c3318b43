#include "AudioTestSupport.h"

#include "AudioFile.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>

namespace AudioTest {

Bytes readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void writeBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

int64_t fileSize(const std::string& path) {
    std::error_code error;
    auto size = std::filesystem::file_size(path, error);
    return error ? -1 : static_cast<int64_t>(size);
}

uint16_t le16(const Bytes& b, size_t o) {
    return static_cast<uint16_t>(b.at(o) | (b.at(o + 1) << 8));
}

uint32_t le32(const Bytes& b, size_t o) {
    return static_cast<uint32_t>(le16(b, o)) | (static_cast<uint32_t>(le16(b, o + 2)) << 16);
}

uint16_t be16(const Bytes& b, size_t o) {
    return static_cast<uint16_t>((b.at(o) << 8) | b.at(o + 1));
}

uint32_t be32(const Bytes& b, size_t o) {
    return (static_cast<uint32_t>(be16(b, o)) << 16) | be16(b, o + 2);
}

void putLe32(Bytes& b, size_t o, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        b.at(o + i) = static_cast<uint8_t>(value >> (8 * i));
    }
}

ByteWriter& ByteWriter::text(const char* fourCc) {
    return raw(fourCc, 4);
}

ByteWriter& ByteWriter::u8(uint8_t value) {
    bytes_.push_back(value);
    return *this;
}

ByteWriter& ByteWriter::u16(uint16_t value) {
    if (bigEndian_) {
        return u8(static_cast<uint8_t>(value >> 8)).u8(static_cast<uint8_t>(value));
    }
    return u8(static_cast<uint8_t>(value)).u8(static_cast<uint8_t>(value >> 8));
}

ByteWriter& ByteWriter::u32(uint32_t value) {
    if (bigEndian_) {
        return u16(static_cast<uint16_t>(value >> 16)).u16(static_cast<uint16_t>(value));
    }
    return u16(static_cast<uint16_t>(value)).u16(static_cast<uint16_t>(value >> 16));
}

ByteWriter& ByteWriter::raw(const Bytes& bytes) {
    return raw(bytes.data(), bytes.size());
}

ByteWriter& ByteWriter::raw(const void* data, size_t size) {
    const auto* p = static_cast<const uint8_t*>(data);
    bytes_.insert(bytes_.end(), p, p + size);
    return *this;
}

namespace {

Bytes containerImage(bool bigEndian, const char* outer, const char* formType,
                     const std::vector<Chunk>& chunks) {
    ByteWriter body(bigEndian);
    body.text(formType);
    for (const auto& chunk : chunks) {
        body.text(chunk.id.c_str());
        body.u32(chunk.size >= 0 ? static_cast<uint32_t>(chunk.size)
                                 : static_cast<uint32_t>(chunk.body.size()));
        body.raw(chunk.body);
        if (chunk.pad) {
            body.u8(0);
        }
    }
    ByteWriter file(bigEndian);
    file.text(outer).u32(static_cast<uint32_t>(body.bytes().size())).raw(body.bytes());
    return file.bytes();
}

} // namespace

Bytes riffImage(const std::vector<Chunk>& chunks) {
    return containerImage(false, "RIFF", "WAVE", chunks);
}

Bytes formImage(const char* formType, const std::vector<Chunk>& chunks) {
    return containerImage(true, "FORM", formType, chunks);
}

Bytes fmtBody(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t blockAlign, uint16_t bits) {
    ByteWriter w(false);
    w.u16(tag).u16(channels).u32(rate).u32(rate * blockAlign).u16(blockAlign).u16(bits);
    return w.bytes();
}

Bytes commBody(int16_t channels, uint32_t frames, int16_t bits, double rate) {
    ByteWriter w(true);
    w.u16(static_cast<uint16_t>(channels)).u32(frames).u16(static_cast<uint16_t>(bits));
    // 80-bit extended, written here independently of the code under test.
    int exponent = 0;
    double fraction = std::frexp(rate, &exponent);
    uint64_t mantissa = static_cast<uint64_t>(std::ldexp(fraction, 64));
    w.u16(static_cast<uint16_t>(rate == 0.0 ? 0 : exponent - 1 + 16383));
    w.u32(static_cast<uint32_t>(mantissa >> 32)).u32(static_cast<uint32_t>(mantissa));
    return w.bytes();
}

Bytes ssndBody(uint32_t offset, const Bytes& samples) {
    ByteWriter w(true);
    w.u32(offset).u32(0).raw(Bytes(offset, 0xEE)).raw(samples);
    return w.bytes();
}

Bytes pcmWave(uint16_t channels, uint32_t rate, uint16_t bits, const Bytes& samples) {
    uint16_t align = static_cast<uint16_t>(((bits + 7) / 8) * channels);
    return riffImage({{"fmt ", fmtBody(1, channels, rate, align, bits)}, {"data", samples}});
}

Bytes asBytes(const std::vector<int16_t>& samples) {
    Bytes bytes(samples.size() * 2);
    if (!bytes.empty()) { // memcpy takes no null pointer, even for nothing
        std::memcpy(bytes.data(), samples.data(), bytes.size());
    }
    return bytes;
}

std::vector<int16_t> asSamples(const Bytes& bytes) {
    std::vector<int16_t> samples(bytes.size() / 2);
    if (!samples.empty()) {
        std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
    }
    return samples;
}

Bytes bigEndianBytes(const std::vector<int16_t>& samples) {
    ByteWriter w(true);
    for (int16_t s : samples) {
        w.u16(static_cast<uint16_t>(s));
    }
    return w.bytes();
}

bool writeSystemFile(const std::string& path, const std::vector<int16_t>& samples, int channels,
                     float rate) {
    AudioFile file(path);
    if (!file.create()) {
        return false;
    }
    file.setSampleRate(rate);
    file.setBits(16);
    file.setChannels(static_cast<int16_t>(channels));
    file.setClientFormat(file.fileFormat());
    const auto frames = static_cast<int32_t>(samples.size() / static_cast<size_t>(channels));
    bool ok = frames == 0 || file.write(frames, samples.data()) == frames;
    return file.close() && ok;
}

Bytes readToEnd(AudioFile& file, int32_t block) {
    Bytes all;
    Bytes buffer(static_cast<size_t>(block) * static_cast<size_t>(file.clientBytesPerFrame()));
    for (;;) {
        int32_t got = file.read(block, buffer.data());
        if (got <= 0) {
            break;
        }
        all.insert(all.end(), buffer.begin(),
                   buffer.begin() + static_cast<int64_t>(got) * file.clientBytesPerFrame());
    }
    return all;
}

std::vector<int16_t> readStereo16(const std::string& path) {
    AudioFile file(path);
    if (!file.open(FAccessMode::kRead) || file.channels() != 2 || file.bits() != 16 ||
        file.sampleRate() != 44100.0f) {
        return {};
    }
    return asSamples(readToEnd(file));
}

} // namespace AudioTest
