#pragma once

#include <cstdint>
#include <string>
#include <vector>

class AEImportList;

// The checks of the WAVE import (the import command and the file drop): a file is
// accepted when it is a plain RIFF/WAVE file whose "fmt " chunk follows "WAVE" directly
// and says PCM, 44 100 Hz, 16 bits, stereo or mono, and it holds at least 7 seconds.
namespace AEWaveImport {

constexpr int32_t kMinimumFrames = 308700;

enum Refusal : int32_t {
    kAccepted = 0,
    kNotAFile,    // missing, a directory, a device or a pipe
    kNotWave,     // not a plain RIFF/WAVE file
    kWrongFormat, // another rate, sample size, channel count or coding
    kUnreadable,  // cannot be opened or read as the audio it says it holds
    kTooShort,    // under 7 seconds
    kNotWavName,  // a stereo file must be named *.wav: its title plays that name
    kListFull,    // more files than the import list holds
};

struct Refused {
    std::string path;
    Refusal refusal;
};

Refusal check(const std::string& path);
// Why a file was refused, in a few words.
const char* reason(Refusal refusal);

// Empties `list` and fills it with the accepted files of `paths`, in order. Returns the
// refused ones; when there are any, string 3087 is shown once.
std::vector<Refused> fillImportList(const std::vector<std::string>& paths, AEImportList& list);

} // namespace AEWaveImport
