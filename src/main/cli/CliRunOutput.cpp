#include "CliRunOutput.h"

#include "AEProcessedFile.h"
#include "CliCommand.h"
#include "ProjectHost.h"

#include "AudioFile.h"
#include "EncodedFileWriter.h"
#include "FFileSystem.h"
#include "FFileType.h"
#include "FPendingFile.h"

#include <cstdlib>
#include <filesystem>
#include <vector>

namespace {

constexpr const char* kExtensions = ".wav, .aif, .aiff or .flac";
// Frames copied per step when the run's WAVE becomes another format.
constexpr int32_t kBlockFrames = 16384;
constexpr int32_t kChannels = 2;
constexpr int32_t kRate = 44100;

// Copies the frames of the run's WAVE (44 100 Hz 16-bit stereo) block by block.
template <class Write> bool copyFrames(const std::string& source, Write&& write) {
    AudioFile in(source);
    if (!in.open(FAccessMode::kRead)) {
        return false;
    }
    std::vector<int16_t> block(static_cast<size_t>(kBlockFrames) * kChannels);
    bool ok = in.channels() == kChannels && in.bits() == 16;
    while (ok) {
        if (ProjectHost::cancelRequested()) {
            ok = false;
            break;
        }
        const int32_t got = in.read(kBlockFrames, block.data());
        if (got <= 0) {
            ok = got == 0;
            break;
        }
        ok = write(block.data(), got);
    }
    in.close();
    return ok;
}

} // namespace

namespace CliRun {

std::optional<OutputFormat> outputFormat(const std::string& path) {
    const std::string extension = FFileType::fromPath(path).extension;
    if (extension == "wav") {
        return OutputFormat::kWave;
    }
    if (extension == "aif" || extension == "aiff") {
        return OutputFormat::kAiff;
    }
    if (extension == "flac") {
        return OutputFormat::kFlac;
    }
    return std::nullopt;
}

RunOutput::~RunOutput() {
    runFile_.reset(); // removes its own temporary file first
    if (!folder_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
}

bool RunOutput::prepare(const std::string& command, const std::string& path) {
    const auto format = outputFormat(path);
    if (!format) {
        Cli::fail(command + ": \"" + path + "\": the output must end in " + kExtensions, 2);
        return false;
    }
    path_ = path;
    format_ = *format;
    if (format_ == OutputFormat::kWave) {
        runFile_ = std::make_unique<AEProcessedFile>(path);
        return true;
    }
    std::error_code error;
    std::string pattern = std::filesystem::temp_directory_path(error) / "gleam-cli.XXXXXX";
    if (error || !mkdtemp(pattern.data())) {
        Cli::fail(command + ": cannot make a temporary folder for the output");
        return false;
    }
    folder_ = pattern;
    runFile_ = std::make_unique<AEProcessedFile>(folder_ + "/run.wav");
    return true;
}

bool RunOutput::finish(const std::string& command) {
    if (format_ == OutputFormat::kWave) {
        return true;
    }
    // The type of the temporary name is the output's, whatever a crashed run left there.
    const std::string pendingPath =
        path_ + (format_ == OutputFormat::kAiff ? ".saving.aif" : ".saving.flac");
    FFileSystem::remove(pendingPath);
    FPendingFile pending(path_, pendingPath);
    const bool written =
        format_ == OutputFormat::kAiff ? writeAiff(pendingPath) : writeFlac(pendingPath);
    if (!written || !pending.commit()) {
        Cli::fail(command + (ProjectHost::cancelRequested() ? ": cancelled"
                                                            : ": cannot write \"" + path_ + "\""));
        return false;
    }
    return true;
}

bool RunOutput::writeAiff(const std::string& pendingPath) {
    AudioFile out(pendingPath);
    if (out.kind() != kAudioKindAIFF || !out.create()) {
        return false;
    }
    out.setSampleRate(static_cast<float>(kRate));
    out.setBits(16);
    out.setChannels(kChannels);
    out.setClientFormat(out.fileFormat());
    const bool copied = copyFrames(runFile_->path(), [&out](const int16_t* frames, int32_t count) {
        return out.write(count, frames) == count;
    });
    return out.close() && copied;
}

bool RunOutput::writeFlac(const std::string& pendingPath) {
    auto out = EncodedFileWriter::create(pendingPath, EncodedFormat::kFlac, kRate, kChannels);
    if (!out) {
        return false;
    }
    const bool copied = copyFrames(runFile_->path(), [&out](const int16_t* frames, int32_t count) {
        return out->write(frames, count);
    });
    return out->close() && copied;
}

} // namespace CliRun
