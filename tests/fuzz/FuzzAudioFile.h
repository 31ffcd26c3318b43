#pragma once

// Shared body of the header fuzz targets: the input becomes a file with the given
// extension, which is opened, read in several client formats, appended to and closed,
// and then has its header repaired.
// Properties that must hold for any input abort the run when they do not.

#include <cstddef>
#include <cstdint>
#include <string>

namespace FuzzAudioFile {

// A path in a private temporary folder, the same for the whole run.
std::string inputPath(const char* extension);
void writeInput(const std::string& path, const uint8_t* data, size_t size);
// Opens and exercises the file at `path`; always returns 0 (libFuzzer's convention).
int exercise(const std::string& path);

} // namespace FuzzAudioFile
