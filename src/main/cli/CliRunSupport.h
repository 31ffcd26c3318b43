#pragma once

#include "AERunResult.h"
#include "AudioOpenResult.h"

#include <cstdint>
#include <string>
#include <vector>

class AppHost;

// What the commands that restore or normalize audio share.
namespace CliRun {

// The input of a run: the file itself when it is a WAVE file in the program's own format
// (44 100 Hz 16-bit, stereo or mono), otherwise its copy converted as an import converts
// it (FLAC, Ogg Vorbis, Opus, MP3, WAVE of any rate, sample format and channel count) in
// a temporary folder, removed again with this object.
class RunInput {
public:
    RunInput() = default;
    ~RunInput();
    RunInput(const RunInput&) = delete;
    RunInput& operator=(const RunInput&) = delete;

    // Makes `path` ready for a run, converting it when needed (with the progress bar and
    // Ctrl-C of the command); on failure prints why, prefixed by `command`, and returns
    // false.
    bool prepare(const std::string& command, const std::string& path);
    // The file the run reads, and its length in frames at 44 100 Hz.
    const std::string& path() const { return path_; }
    int32_t frames() const { return frames_; }

private:
    std::string path_;
    std::string folder_;
    int32_t frames_ = 0;
};

// Why an audio file did not open, in the user's language ("not found", ...).
std::string openReason(AudioOpenResult result);

// Prints the failure of a run, unless the application has told the user already (the
// disk-space message), and returns the exit status for it.
int failRun(const std::string& command, const std::string& what, AERunResult result);

// Arguments split into the plain ones and the values of options "--NAME VALUE" whose
// names are among `names` (values[k] for names[k], "" when not given).
struct Arguments {
    std::vector<std::string> plain;
    std::vector<std::string> values;
};
// False (after printing why) for an unknown option or one without its value.
bool splitArguments(const std::string& command, const std::vector<std::string>& args,
                    const std::vector<std::string>& names, Arguments& out);
// A number from `low` to `high` written as a whole, or false after printing why.
bool parseNumber(const std::string& command, const std::string& option, const std::string& text,
                 double low, double high, double& value);

// While it exists, Ctrl-C (and SIGTERM) set the application's cancel flag, so a run stops
// at its next block and leaves no half-written file.
class InterruptCancels {
public:
    explicit InterruptCancels(AppHost& host);
    ~InterruptCancels();
    InterruptCancels(const InterruptCancels&) = delete;
    InterruptCancels& operator=(const InterruptCancels&) = delete;
};

} // namespace CliRun
