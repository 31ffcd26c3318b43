#pragma once

#include "AEBackgroundJob.h"
#include "AEProject.h"

#include <cstdint>
#include <memory>
#include <string>

class AEFileManager;

// What leaves the program: the title list of a project as plain text, and a copy of one
// title's audio.
namespace AEExport {

// The title list: a heading with the project title, one line per title (number, artist,
// name, length), the total time against a disc of `capacitySeconds`, and an end line.
std::string titleListText(const AEProject& project,
                          int32_t capacitySeconds = AEProject::kDefaultCdCapacitySeconds);
// Writes the title list to `path`; false, and nothing written, when the project has no
// titles or the file cannot be written completely.
bool exportTitleList(const AEProject* project, const std::string& path,
                     int32_t capacitySeconds = AEProject::kDefaultCdCapacitySeconds);

// Exports title `index`'s audio to `path` in the background: its current audio file (the
// processed one once processed) byte for byte (AEFileCopy) when the title plays the whole
// file, otherwise the part it plays, trimmed and faded (AERangeExport). The job's result
// is an AEFileCopy::Result; null when there is no such title.
std::unique_ptr<AEBackgroundJob> exportTitleAudio(const AEFileManager& files, int32_t index,
                                                  const std::string& path);

} // namespace AEExport
