// gleam-cli info FILE...: the format of audio files as AudioFile reads them.
#include "AudioFile.h"
#include "CliCommand.h"

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

bool printInfo(const std::string& path) {
    AudioFile file(path);
    if (!file.open(FAccessMode::kRead)) {
        return false;
    }
    const float rate = file.sampleRate();
    const int32_t frames = file.frames();
    const int64_t seconds =
        rate > 0.0f ? static_cast<int64_t>(frames / static_cast<double>(rate)) : 0;
    const int channels = file.channels();
    std::printf("%s: %s, %.0f Hz, %d bits, %d channel%s, %d frames, %s, data offset %u\n",
                path.c_str(), AudioFileTypes::kindName(file.kind()), static_cast<double>(rate),
                file.bits(), channels, channels == 1 ? "" : "s", frames,
                durationText(seconds).c_str(), file.dataOffset());
    file.close();
    return true;
}

int runInfo(const std::vector<std::string>& args) {
    if (args.empty()) {
        return Cli::fail("info: no file given (gleam-cli info FILE...)", 2);
    }
    int status = 0;
    for (const auto& path : args) {
        if (!printInfo(path)) {
            Cli::fail("info: cannot open \"" + path + "\" as an audio file");
            status = 1;
        }
    }
    return status;
}

const CliRegistration kInfo({"info", "info FILE...",
                             "show kind, rate, bits, channels, frames, duration, data offset",
                             runInfo});

} // namespace
