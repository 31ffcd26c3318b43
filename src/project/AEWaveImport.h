#pragma once

#include <cstdint>
#include <string>
#include <vector>

class AEImportList;

// The checks of the audio import (the import command and the file drop): a file is
// accepted when it holds at least 7 seconds at 44 100 Hz and is either a plain RIFF/WAVE
// file whose "fmt " chunk follows "WAVE" directly and says PCM, 44 100 Hz, 16 bits, stereo
// or mono (taken as it is), or any other file the decoding library reads: FLAC, Ogg
// Vorbis, Opus, MP3, WAVE of another rate, sample format or channel count (converted on
// import, AEFormatImport).
namespace AEWaveImport {

constexpr int32_t kMinimumFrames = 308700;

enum Refusal : int32_t {
    kAccepted = 0,
    kNotAFile,     // a directory, a device or a pipe
    kNotAudio,     // neither the program's own WAVE format nor a file it can decode
    kUnreadable,   // cannot be opened or read as the audio it says it holds
    kTooShort,     // under 7 seconds (at 44 100 Hz)
    kListFull,     // more files than the import list holds
    kNoDecoder,    // an Opus file, and the decoding library here has no Opus decoder
    kUnsupported,  // a WAVE or AIFF header of a coding the program cannot read
    kMissing,      // no file at the path
    kNoPermission, // the user may not read it
    kDamaged,      // a WAVE or AIFF header that is broken
    kTruncated,    // a WAVE or AIFF file that ends before its audio begins
};

struct Refused {
    std::string path;
    Refusal refusal;
};

Refusal check(const std::string& path);
// Why a file was refused, in a few words (English, for the command line).
const char* reason(Refusal refusal);
// The same in the user's language: the string id.
int32_t reasonString(Refusal refusal);

// Empties `list` and fills it with the accepted files of `paths`, in order. Returns the
// refused ones; when there are any, one message shows string 3142 and names them, each
// with the rule it failed.
std::vector<Refused> fillImportList(const std::vector<std::string>& paths, AEImportList& list);

} // namespace AEWaveImport
