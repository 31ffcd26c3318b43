#pragma once

#include "AEProject.h"
#include "AETitleRange.h"

#include <cstdint>
#include <string>
#include <vector>

// A burn-ready disc image of a project: OUT.bin (raw CD audio, 16-bit little-endian stereo
// at 44 100 Hz, each track padded with silence to whole sectors) and OUT.cue (one FILE
// line, one TRACK per title). A title's pause is silence before its INDEX 01, marked by
// INDEX 00, except on the first track, whose pregap the burner adds by itself.
namespace AEDiscImage {

enum Result : int32_t {
    kWritten = 0,
    kNoTitles,
    kTooLong,     // the project does not fit the disc
    kCannotRead,  // a title's audio is missing, unreadable or not 44 100 Hz
    kCannotWrite, // the image could not be written completely
    kCancelled,
};

// What one title puts on the disc: its playing range, and its pause and texts.
struct TrackPlan : AETitleRange {
    int32_t pauseFrames = 0;
    std::string title;
    std::string performer;
};

// The playing range of every title: an unprocessed title's trim (kept within its file),
// a processed title's whole processed file. False when a title's audio cannot be opened.
bool planTracks(const AEProject& project, std::vector<TrackPlan>& plans);
// Sectors of a track of `frames` frames once padded.
int32_t paddedSectors(int64_t frames);
// The CUE sheet for `binName` holding the planned tracks in order.
std::string cueSheet(const std::vector<TrackPlan>& plans, const std::string& binName);
// Sectors the image takes on the disc, the first track's two-second pregap included.
int64_t discSectors(const std::vector<TrackPlan>& plans);

// Checks that the project has titles, fits a disc of `capacitySeconds` and that every
// title's audio opens, and plans its tracks; kWritten when all is well.
Result prepare(const AEProject& project, int32_t capacitySeconds, std::vector<TrackPlan>& plans);
// Writes the planned tracks to `cuePath` and the BIN beside it (the writing half of
// exportImage, which a thread can do on its own).
Result writeImage(const std::vector<TrackPlan>& plans, const std::string& cuePath);

// prepare and writeImage: writes `cuePath` and the BIN beside it (same name, extension "bin"). Both
// appear only once complete; a failure or cancel leaves neither half-written. Shows progress
// through the application and stops when the user cancels.
Result exportImage(const AEProject& project, const std::string& cuePath,
                   int32_t capacitySeconds = AEProject::kDefaultCdCapacitySeconds);

// The string id of the message telling the user about `result` (0 for kWritten).
int32_t messageId(Result result);

} // namespace AEDiscImage
