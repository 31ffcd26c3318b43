// Writes the seed files of the fuzz targets: a few valid WAVE and AIFF files of different
// formats, small enough to fuzz quickly. Usage: make_fuzz_seeds WAVE_DIR AIFF_DIR
#include "AudioTestSupport.h"

#include <cstdio>

using namespace AudioTest;

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_fuzz_seeds WAVE_DIR AIFF_DIR\n");
        return 2;
    }
    const std::string wave = argv[1];
    const std::string aiff = argv[2];
    bool ok = writeSystemFile(wave + "/44100-2-16.wav", noise16(2 * 32, 1), 2) &&
              writeSystemFile(wave + "/22050-1-16.wav", sine16(40, 1, 1000.0, 22050.0, 9000.0), 1,
                              22050.0f) &&
              writeSystemFile(aiff + "/44100-2-16.aif", noise16(2 * 32, 2), 2) &&
              writeSystemFile(aiff + "/48000-1-16.aif", sine16(40, 1, 1000.0, 48000.0, 9000.0), 1,
                              48000.0f);
    writeBytes(wave + "/44100-1-8.wav", pcmWave(1, 44100, 8, Bytes{0, 64, 128, 255, 7}));
    writeBytes(wave + "/44100-2-24.wav", pcmWave(2, 44100, 24, Bytes(6 * 8, 0x11)));
    const float values[] = {0.5f, 1.5f, -2.0f, 0.0f};
    ByteWriter floats(false);
    floats.raw(values, sizeof values);
    writeBytes(wave + "/44100-1-32f.wav",
               riffImage({{"fmt ", fmtBody(3, 1, 44100, 4, 32)}, {"data", floats.bytes()}}));
    writeBytes(wave + "/data-before-fmt.wav", riffImage({{"data", asBytes(noise16(2 * 4, 3))},
                                                         {"fmt ", fmtBody(1, 2, 48000, 4, 16)}}));
    writeBytes(wave + "/list-between.wav", riffImage({{"fmt ", fmtBody(1, 2, 44100, 4, 16)},
                                                      {"LIST", Bytes(5, 'i'), -1, true},
                                                      {"data", asBytes(noise16(2 * 4, 4))}}));
    writeBytes(aiff + "/44100-1-8.aif",
               formImage("AIFF", {{"COMM", commBody(1, 3, 8, 44100.0)},
                                  {"SSND", ssndBody(0, Bytes{0x80, 0x7F, 0}), -1, true}}));
    writeBytes(aiff + "/32000-2-16.aifc",
               formImage("AIFC", {{"FVER", Bytes{0xA2, 0x80, 0x51, 0x40}},
                                  {"COMM", commBody(2, 4, 16, 32000.0)},
                                  {"NAME", Bytes{'x'}, -1, true},
                                  {"SSND", ssndBody(2, bigEndianBytes(noise16(8, 5)))}}));
    if (!ok) {
        std::fprintf(stderr, "make_fuzz_seeds: could not write the seed files\n");
        return 1;
    }
    return 0;
}
