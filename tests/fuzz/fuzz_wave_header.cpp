// libFuzzer target: the WAVE header reader, the transfer paths and the header update.
#include "FuzzAudioFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = FuzzAudioFile::inputPath("wav");
    FuzzAudioFile::writeInput(path, data, size);
    return FuzzAudioFile::exercise(path);
}
