// libFuzzer target: the AIFF and AIFC header reader, the transfer paths and the update.
#include "FuzzAudioFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = FuzzAudioFile::inputPath("aif");
    FuzzAudioFile::writeInput(path, data, size);
    return FuzzAudioFile::exercise(path);
}
