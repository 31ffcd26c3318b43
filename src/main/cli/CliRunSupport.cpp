#include "CliRunSupport.h"

#include "AudioFile.h"
#include "CliCommand.h"

#include "AppHost.h"

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr float kRunRate = 44100.0f;

std::atomic<AppHost*> gCancelHost{nullptr};

extern "C" void cancelOnSignal(int) {
    // Only an atomic store happens here.
    if (AppHost* host = gCancelHost.load()) {
        host->setCancelRequested(true);
    }
}

} // namespace

namespace CliRun {

bool checkInput(const std::string& command, const std::string& path, int32_t& frames) {
    AudioFile file(path);
    if (!file.open(FAccessMode::kRead)) {
        Cli::fail(command + ": cannot open \"" + path + "\" as an audio file");
        return false;
    }
    const float rate = file.sampleRate();
    frames = file.frames();
    file.close();
    if (rate != kRunRate) {
        Cli::fail(command + ": \"" + path + "\" is at " + std::to_string(static_cast<long>(rate)) +
                  " Hz; only 44100 Hz files can be restored or normalized");
        return false;
    }
    return true;
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
