#pragma once

// Helpers of the audio file tests: files built byte by byte and generated signals. Test
// folders come from support/TestDirs.h (under GLEAM_TEST_TMP, never the user's home).

#include "support/TestSignals.h"

#include <cstdint>
#include <string>
#include <vector>

class AudioFile;

namespace AudioTest {

using Bytes = std::vector<uint8_t>;

Bytes readBytes(const std::string& path);
void writeBytes(const std::string& path, const Bytes& bytes);
int64_t fileSize(const std::string& path);

uint16_t le16(const Bytes& bytes, size_t offset);
uint32_t le32(const Bytes& bytes, size_t offset);
uint16_t be16(const Bytes& bytes, size_t offset);
uint32_t be32(const Bytes& bytes, size_t offset);
void putLe32(Bytes& bytes, size_t offset, uint32_t value);

// Appends values to a byte image in one byte order.
class ByteWriter {
public:
    explicit ByteWriter(bool bigEndian) : bigEndian_(bigEndian) {}
    ByteWriter& text(const char* fourCc);
    ByteWriter& u8(uint8_t value);
    ByteWriter& u16(uint16_t value);
    ByteWriter& u32(uint32_t value);
    ByteWriter& raw(const Bytes& bytes);
    ByteWriter& raw(const void* data, size_t size);
    const Bytes& bytes() const { return bytes_; }

private:
    bool bigEndian_;
    Bytes bytes_;
};

// A named hand-made file image, for tables of damaged files.
struct NamedImage {
    const char* name;
    Bytes image;
};

// One chunk of a hand-made file; `size` overrides the body's real size in the header.
struct Chunk {
    std::string id;
    Bytes body;
    int64_t size = -1;
    bool pad = false; // a pad byte after an odd-sized body
};

// "RIFF" <size> "WAVE" followed by the chunks (little-endian sizes).
Bytes riffImage(const std::vector<Chunk>& chunks);
// "FORM" <size> <formType> followed by the chunks (big-endian sizes).
Bytes formImage(const char* formType, const std::vector<Chunk>& chunks);
// The 16-byte body of a WAVE "fmt " chunk.
Bytes fmtBody(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t blockAlign, uint16_t bits);
// The 18-byte body of an AIFF "COMM" chunk.
Bytes commBody(int16_t channels, uint32_t frames, int16_t bits, double rate);
// An "SSND" body: offset, block size 0, `offset` filler bytes, then the samples.
Bytes ssndBody(uint32_t offset, const Bytes& samples);
// A plain 44-byte-header PCM WAVE file image.
Bytes pcmWave(uint16_t channels, uint32_t rate, uint16_t bits, const Bytes& samples);

// Tones and noise come from the tests' signal library.
using TestSignals::noise16;
using TestSignals::sine16;
Bytes asBytes(const std::vector<int16_t>& samples);
std::vector<int16_t> asSamples(const Bytes& bytes);
// Big-endian image of 16-bit samples.
Bytes bigEndianBytes(const std::vector<int16_t>& samples);

// Makes a file the way the program makes recordings: create(), then the rate, bits and
// channels set on the file and copied to the client; writes the interleaved 16-bit frames
// and closes. False when a step fails.
bool writeSystemFile(const std::string& path, const std::vector<int16_t>& samples, int channels,
                     float rate = 44100.0f);
// Reads from the file's position to its end in blocks of `block` client frames.
Bytes readToEnd(AudioFile& file, int32_t block = 4096);
// All frames of a 44.1 kHz 16-bit stereo file, interleaved; empty when the file cannot be
// read or holds another format.
std::vector<int16_t> readStereo16(const std::string& path);

} // namespace AudioTest
