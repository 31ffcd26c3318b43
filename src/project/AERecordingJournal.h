#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The recordings in progress, in a small file of the user's state folder
// ($XDG_STATE_HOME/Gleam/recordings), one line "<process id> <path>" each. A recording
// is entered when its file is created and leaves when the file is closed. One that is
// still there when its process is gone was cut off (the program killed, the power lost):
// its WAVE header still says 0 frames or an older size. recover() mends such headers
// from the files' sizes, so the audio is never lost. Safe between processes (the file is
// locked while it changes) and threads.
namespace AERecordingJournal {

struct Recovered {
    std::string path;
    int32_t framesBefore = 0;
    int32_t framesAfter = 0;
};

// The journal file; GLEAM_RECORDING_JOURNAL overrides it (tests).
std::string journalPath();
void begin(const std::string& path);
void end(const std::string& path);
// Mends the recordings of processes that are gone and takes them off the journal; logs
// each one and tells the user (string 3291). Returns those whose header was rewritten.
std::vector<Recovered> recover();

} // namespace AERecordingJournal
