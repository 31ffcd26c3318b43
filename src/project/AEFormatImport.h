#pragma once

#include <cstdint>
#include <string>
#include <vector>

class AEProject;

// The import of audio that is not already the program's own (44 100 Hz 16-bit PCM WAVE,
// stereo or mono): FLAC, Ogg Vorbis, Opus, MP3 and WAVE files of any rate, sample format
// and channel count become a new 44 100 Hz 16-bit stereo title file (TitleFormatReader:
// high-quality rate conversion, TPDF dither), as a mono WAVE file becomes its stereo copy.
namespace AEFormatImport {

// The setting that holds the import dialog's starting folder ("mp3ImportDir"), as an
// index of the application's directory settings.
constexpr int kDirectorySlot = 5;
// The import dialog's title and file filter ("Name|*.a;*.b|...|||", the program's filter
// form), in the user's language.
std::string dialogTitle();
std::string dialogFilter();
// The extensions (lower case, no dot) the filter offers.
const std::vector<std::string>& extensions();

// True unless `path` is a WAVE file in the program's own format (stereo or mono), which is
// taken as it is (stereo) or copied bit for bit (mono).
bool needsConversion(const std::string& path);
// The file's length at 44 100 Hz once converted; -1 when it cannot be decoded.
int64_t convertedFrames(const std::string& path);
// Whether the decoding library here reads Opus; when not, Opus files are refused.
bool opusReadable();

// Writes the converted copy of `path` into `directory`, named after the file with
// ".stereo.wav" appended (song.flac → song.flac.stereo.wav, or the next free name of that
// series, AEFileClaim), and replaces `path` by the
// copy's path. Progress, cancelling, the disk-space check and the temporary name are
// those of every import copy (AETitleCopy); any failure returns false, leaves `path` as it
// was and no file behind.
bool convertToTitleFormat(std::string& path, std::string directory,
                          const AEProject* project = nullptr);

} // namespace AEFormatImport
