#include "CliRunSupport.h"

#include "AEFileManager.h"
#include "AEFormatImport.h"
#include "CliCommand.h"
#include "ProjectHost.h"

#include "AppHost.h"
#include "AudioFile.h"

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace {

std::atomic<AppHost*> gCancelHost{nullptr};

extern "C" void cancelOnSignal(int) {
    // Only an atomic store happens here.
    if (AppHost* host = gCancelHost.load()) {
        host->setCancelRequested(true);
    }
}

} // namespace

namespace CliRun {

RunInput::~RunInput() {
    if (!folder_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
}

bool RunInput::prepare(const std::string& command, const std::string& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        // Missing, a folder or a device: say which.
        const AudioOpenResult why = AudioFile::check(path).result;
        Cli::fail(command + ": cannot open \"" + path + "\": " +
                  openReason(why == AudioOpenResult::kOk ? AudioOpenResult::kNotRegular : why));
        return false;
    }
    path_ = path;
    if (AEFormatImport::needsConversion(path)) {
        std::string pattern = (std::filesystem::temp_directory_path(error) / "gleam-cli.XXXXXX");
        if (error || !mkdtemp(pattern.data())) {
            Cli::fail(command + ": cannot make a temporary folder for the converted input");
            return false;
        }
        folder_ = pattern;
        if (AEFormatImport::convertedFrames(path) < 0) {
            Cli::fail(command + ": cannot read \"" + path +
                      "\" as audio (WAVE, FLAC, Ogg Vorbis, Opus or MP3)");
            return false;
        }
        if (!AEFormatImport::convertToTitleFormat(path_, folder_)) {
            Cli::fail(command +
                      (ProjectHost::cancelRequested()
                           ? ": cancelled"
                           : ": cannot convert \"" + path + "\" to 44100 Hz 16-bit stereo"));
            return false;
        }
    }
    frames_ = AEFileManager::framesOf(path_);
    if (frames_ < 0) {
        const AudioOpenResult why = AudioFile::check(path_).result;
        Cli::fail(command + ": cannot open \"" + path + "\"" +
                  (why == AudioOpenResult::kOk ? std::string(" as an audio file")
                                               : std::string(": ") + openReason(why)));
        return false;
    }
    return true;
}

std::string openReason(AudioOpenResult result) {
    return ProjectHost::text(reasonString(result));
}

int failRun(const std::string& command, const std::string& what, AERunResult result) {
    if (result != AERunResult::kNoRoom) {
        Cli::fail(command + ": " + what + ": " + describe(result));
    }
    return 1;
}

bool splitArguments(const std::string& command, const std::vector<std::string>& args,
                    const std::vector<std::string>& names, Arguments& out) {
    out.plain.clear();
    out.values.assign(names.size(), std::string());
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.size() < 3 || arg.compare(0, 2, "--") != 0) {
            out.plain.push_back(arg);
            continue;
        }
        const auto name = std::find(names.begin(), names.end(), arg.substr(2));
        if (name == names.end()) {
            Cli::fail(command + ": unknown option " + arg, 2);
            return false;
        }
        if (i + 1 >= args.size()) {
            Cli::fail(command + ": " + arg + " needs a value", 2);
            return false;
        }
        out.values[static_cast<size_t>(name - names.begin())] = args[++i];
    }
    return true;
}

bool parseNumber(const std::string& command, const std::string& option, const std::string& text,
                 double low, double high, double& value) {
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !(value >= low && value <= high)) {
        char range[64];
        std::snprintf(range, sizeof range, "%g to %g", low, high);
        Cli::fail(command + ": --" + option + " takes a number from " + range + ", not \"" + text +
                      "\"",
                  2);
        return false;
    }
    return true;
}

InterruptCancels::InterruptCancels(AppHost& host) {
    gCancelHost.store(&host);
    std::signal(SIGINT, cancelOnSignal);
    std::signal(SIGTERM, cancelOnSignal);
}

InterruptCancels::~InterruptCancels() {
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    gCancelHost.store(nullptr);
}

} // namespace CliRun
