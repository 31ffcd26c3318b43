// libFuzzer target: the quick WAVE format probe. The record must be the 16 bytes after
// "RIFF" <size> "WAVEfmt " <size>, or all zero when the file does not start that way.
#include "FuzzAudioFile.h"
#include "WaveFileHandler.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

uint32_t littleEndian(const uint8_t* p, int bytes) {
    uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) {
        value = (value << 8) | p[i];
    }
    return value;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = FuzzAudioFile::inputPath("wav");
    FuzzAudioFile::writeInput(path, data, size);
    WavePcmFormat record;
    record.channels = 0xBEEF;
    WaveFileHandler::probeWaveFormat(path, record);
    WaveFileHandler::isCdStereoFormat(record);
    WaveFileHandler::isCdMonoFormat(record);
    const bool matches = size >= 36 && std::memcmp(data, "RIFF", 4) == 0 &&
                         std::memcmp(data + 8, "WAVEfmt ", 8) == 0;
    const uint8_t* fields = data + 20;
    const bool ok = matches
                        ? record.formatTag == littleEndian(fields, 2) &&
                              record.channels == littleEndian(fields + 2, 2) &&
                              record.sampleRate == littleEndian(fields + 4, 4) &&
                              record.byteRate == littleEndian(fields + 8, 4) &&
                              record.blockAlign == littleEndian(fields + 12, 2) &&
                              record.bits == littleEndian(fields + 14, 2)
                        : record.formatTag == 0 && record.channels == 0 && record.sampleRate == 0 &&
                              record.byteRate == 0 && record.blockAlign == 0 && record.bits == 0;
    if (!ok) {
        std::fprintf(stderr, "probe record does not match the file\n");
        std::abort();
    }
    return 0;
}
