#pragma once

#include "AEBackgroundJob.h"
#include "AETitleRange.h"

#include "EncodedFileWriter.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class AEProject;

// Exports titles as an album: each title's playing range (its processed file once
// processed; trim and fades as playback applies them; its pause left out) becomes
// "DIR/NN - Title.ext" in one format, tagged with title, artist, album (the project's
// title), track number and count, ReplayGain track and album values and the cover picture
// when one is given; "DIR/playlist.m3u8" and "DIR/album.cue" name the files in order. With a
// loudness, every title is first measured and then brought to it (AERangeRender), one gain
// for all of them in album-gain mode, true peaks at most −1 dBTP. Nothing replaces an
// existing file unless the user agreed (overwrite); every file is written beside its final
// name and all of them are moved into place only once the whole album is written, so a
// cancel or a failure leaves no file of the export behind. Like the other exports it marks
// the application busy (messages 24 and 25), shows progress and stops when the user cancels.
namespace AEAlbumExport {

struct Options {
    std::string directory;
    EncodedFormat format = EncodedFormat::kFlac;
    // Title indices in the order they are exported; empty: all titles.
    std::vector<int32_t> titles;
    std::optional<double> loudness;
    bool albumGain = false;
    std::string coverPath;
    bool overwrite = false;
};

enum Result : int32_t {
    kWritten = 0,
    kNoTitle,      // no project, no titles, or no such title
    kMissingAudio, // a title's audio file is not there
    kTitleFile,    // an output would replace a file a title refers to
    kBadCover,     // the cover cannot be read, or is neither JPEG nor PNG
    kExists,       // an output exists and overwriting was not agreed
    kCannotRead,   // a title's audio could not be read to its end
    kCannotWrite,  // a file could not be made or written completely
    kCancelled,
};

struct Title {
    AETitleRange range;
    std::string name;
    std::string artist;
    std::string path;
};

// What an export writes, planned on the window thread so the run never touches the project.
struct Plan {
    Options options;
    std::string album;
    std::vector<Title> titles;
    std::string cover;
    std::string coverMime;
    std::string playlistPath;
    std::string cuePath;

    // Every file the export makes, titles first.
    std::vector<std::string> outputs() const;
    // Those of them that exist already.
    std::vector<std::string> existing() const;
};

// Window thread: plans the export of `options`.
Result plan(const AEProject& project, const Options& options, Plan& planned);
// Any thread: runs a plan.
Result run(const Plan& planned);
// On a thread of its own; the job's result is a Result.
std::unique_ptr<AEBackgroundJob> runInBackground(const Plan& planned, int32_t doneTag = 0);

// Title numbers as the user writes them, "1,3-5" (numbered from 1, as the title list does),
// as indices in that order; false when a number names no title of `count`, a range runs
// backwards or a title comes twice.
bool parseTitles(const std::string& text, int32_t count, std::vector<int32_t>& indices);

// The window's message for a result (English string id; 0 for kWritten and kCancelled).
int32_t messageId(Result result);

} // namespace AEAlbumExport
