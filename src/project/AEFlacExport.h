#pragma once

#include "AEBackgroundJob.h"

#include <cstdint>
#include <memory>
#include <string>

class AEFileManager;

// Exports a title's audio as a FLAC file: its current audio file (the processed one once
// processed) as it is when the title plays the whole file, otherwise the part it plays,
// trimmed and faded as playback applies them (as the WAVE export writes them); lossless,
// so it decodes to exactly those frames, tagged with the title's name and artist. Like the WAVE
// export it marks the application busy (messages 24 and 25), shows progress, stops when the user
// cancels, and writes beside the destination, moving the file into place only once it is complete
// and reads back at its full length; a failure leaves no file behind.
namespace AEFlacExport {

// The setting that holds the FLAC export dialog's starting folder ("mp3ExportDir"), as
// an index of the application's directory settings.
constexpr int kDirectorySlot = 6;
// Frames encoded per step.
constexpr int32_t kStepFrames = 16384;

// The export dialog's title, file filter (the program's "Name|*.flac|||" form) and
// default extension, in the user's language.
std::string dialogTitle();
std::string dialogFilter();
constexpr const char* kExtension = "flac";

enum Result : int32_t {
    kWritten = 0,
    kNoTitle = 1,     // no project or no such title
    kCannotRead = 2,  // the title's audio could not be read (at 44 100 Hz) to its end
    kCannotWrite = 3, // the file could not be made or written completely (string 3146)
    kCancelled = 4,
};

// Exports on the calling thread.
Result exportTitle(const AEFileManager& files, int32_t index, const std::string& path);
// Exports on a thread of its own; the job's result is a Result.
std::unique_ptr<AEBackgroundJob> exportTitleInBackground(const AEFileManager& files, int32_t index,
                                                         const std::string& path);

} // namespace AEFlacExport
