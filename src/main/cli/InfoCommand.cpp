// gleam-cli info FILE...: the format of audio files as AudioFile reads them.
#include "AudioFile.h"
#include "CliCommand.h"
#include "CliRunSupport.h"
#include "CliSession.h"

#include <cinttypes>
#include <cstdio>

namespace {

// Whole seconds as hours:minutes:seconds with two-digit lower fields.
std::string durationText(int64_t seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%" PRId64 ":%02d:%02d", seconds / 3600,
                  static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60));
    return text;
}

// Prints the file's line; on failure returns why it did not open.
AudioOpenResult printInfo(const std::string& path) {
    AudioFile file(path);
    if (!file.open(FAccessMode::kRead)) {
        return file.lastOpenResult();
    }
    const float rate = file.sampleRate();
    const int32_t frames = file.frames();
    const int64_t seconds =
        rate > 0.0f ? static_cast<int64_t>(frames / static_cast<double>(rate)) : 0;
    const int channels = file.channels();
    std::printf("%s: %s, %.0f Hz, %d bits, %d channel%s, %d frames, %s, data offset %u",
                path.c_str(), AudioFileTypes::kindName(file.kind()), static_cast<double>(rate),
                file.bits(), channels, channels == 1 ? "" : "s", frames,
                durationText(seconds).c_str(), file.dataOffset());
    if (file.isTruncated()) {
        std::printf(", truncated: header says %d frames", file.headerFrames());
    }
    std::printf("\n");
    file.close();
    return AudioOpenResult::kOk;
}

int runInfo(const std::vector<std::string>& args) {
    if (args.empty()) {
        return Cli::fail("info: no file given (gleam-cli info FILE...)", 2);
    }
    // Reasons in the user's language.
    CliSession session(true);
    int status = 0;
    for (const auto& path : args) {
        const AudioOpenResult result = printInfo(path);
        if (result != AudioOpenResult::kOk) {
            Cli::fail("info: cannot open \"" + path + "\": " + CliRun::openReason(result));
            status = 1;
        }
    }
    return status;
}

const CliRegistration kInfo({"info", "info FILE...",
                             "show kind, rate, bits, channels, frames, duration, data offset "
                             "(and what a file cut short claims)",
                             runInfo});

} // namespace
