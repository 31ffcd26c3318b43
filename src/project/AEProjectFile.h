#pragma once

#include "AEProject.h"

#include <memory>
#include <string>

// The project file (".dat"): "Vers" 1000, "Titl", "Numt" N, "Bdir", then N title blocks,
// each from "Tfid" to "Enot". Reading is strict about what it must understand and
// tolerant of what it need not: a record of an unknown tag (or a known tag of the wrong
// type, or a text of an impossible length) is skipped by its type and length, while a
// truncated file, a title count outside 0..99, a newer version, a block that does not begin
// with "Tfid" or settings before the block's "Ptrn" refuse the whole file.
namespace AEProjectFile {

// The project as stored, before its titles are checked against their audio files.
std::unique_ptr<AEProject> read(const std::string& path, std::string& error);
// True when the whole file was written and moved into place.
bool write(const AEProject& project, const std::string& path);

} // namespace AEProjectFile
