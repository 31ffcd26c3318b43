#pragma once

#include "AudioFileHandler.h"

#include <cstdint>
#include <string>

// The 16-byte PCM format record of a WAVE "fmt " chunk, field for field as on disk.
struct WavePcmFormat {
    uint16_t formatTag = 0;
    uint16_t channels = 0;
    uint32_t sampleRate = 0;
    uint32_t byteRate = 0;
    uint16_t blockAlign = 0;
    uint16_t bits = 0;
};

// The WAVE (RIFF) handler. All values are little-endian; samples are interleaved, 8-bit
// samples unsigned and wider ones signed, 32-bit float when the format tag says so. Files
// made here have a 44-byte header: "RIFF", "WAVE", a 16-byte "fmt " chunk and "data".
//
// The reader walks the chunks: "fmt " and "data" may come in either order with other
// chunks around them; a pad byte after an odd-sized chunk is skipped when present. It
// refuses a file without both, with no channels, a block align or sample rate of 0, a
// "fmt " chunk running past the end of the file, a compressed coding (as unsupported) or
// an offset past the 32-bit range. Frames = data size / block align, rounded down. A
// "data" chunk running past the end of the file (a recording cut short) is read up to the
// end when "fmt " came before it: frames counts the whole frames present, headerFrames
// what the header claims.
class WaveFileHandler : public AudioFileHandler {
public:
    explicit WaveFileHandler(AudioFile& owner);

    bool readHeader() override;
    bool endsBeforeAudio() override;
    bool writeHeader() override;
    // Patches the lengths and the format in place, walking the chunks like readHeader.
    bool updateHeader() override;

    // The quick check of the import commands: fills `record` from the "fmt " chunk that
    // directly follows "WAVE", or leaves it all zero.
    static void probeWaveFormat(const std::string& path, WavePcmFormat& record);
    // 44 100 Hz, 16-bit PCM, two channels (byte rate 176 400, block align 4).
    static bool isCdStereoFormat(const WavePcmFormat& record);
    // 44 100 Hz, 16-bit PCM, one channel (byte rate 88 200, block align 2).
    static bool isCdMonoFormat(const WavePcmFormat& record);

private:
    bool readFormatChunk(uint32_t size, AudioFormat& format, uint16_t& blockAlign);
    // The "fmt " fields of the current file format.
    WavePcmFormat formatRecord();
    bool writeFormatRecord(const WavePcmFormat& record);
};
