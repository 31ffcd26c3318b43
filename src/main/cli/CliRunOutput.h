#pragma once

#include <memory>
#include <optional>
#include <string>

class AEProcessedFile;

namespace CliRun {

// The formats gleam-cli restore and normalize write, named by the output's extension.
enum class OutputFormat { kWave, kAiff, kFlac };

// ".wav" WAVE, ".aif" and ".aiff" AIFF, ".flac" FLAC, letter case ignored; nothing for any
// other name, so one format never goes out under another's name.
std::optional<OutputFormat> outputFormat(const std::string& path);

// The output of a run. A run writes WAVE; for another format it writes into a temporary
// folder, and finish() turns that into the final file, written beside it under a
// temporary name and moved into place once complete.
class RunOutput {
public:
    RunOutput() = default;
    ~RunOutput();
    RunOutput(const RunOutput&) = delete;
    RunOutput& operator=(const RunOutput&) = delete;

    // Checks the name before any work; on failure prints why, prefixed by `command`, and
    // returns false.
    bool prepare(const std::string& command, const std::string& path);
    // What the run writes into.
    AEProcessedFile& runFile() { return *runFile_; }
    // Writes the final file from the run's (nothing to do for WAVE); on failure prints
    // why and leaves no file.
    bool finish(const std::string& command);

private:
    bool writeAiff(const std::string& pendingPath);
    bool writeFlac(const std::string& pendingPath);

    std::string path_;
    std::string folder_;
    OutputFormat format_ = OutputFormat::kWave;
    std::unique_ptr<AEProcessedFile> runFile_;
};

} // namespace CliRun
