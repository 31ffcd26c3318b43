#include "RestoreCollection.h"

#include "AEFormatImport.h"
#include "CliCommand.h"
#include "CliRunOutput.h"
#include "FFileType.h"
#include "RestoreManifest.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <map>
#include <thread>

#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr auto kPollInterval = std::chrono::milliseconds(50);

std::atomic<bool> gStop{false};

extern "C" void stopOnSignal(int) {
    gStop.store(true);
}

// Whether a file found in a folder is one the collection restores: the kinds the import
// takes, and AIFF.
bool isAudioName(const fs::path& path) {
    if (path.filename().string().front() == '.') {
        return false;
    }
    const std::string extension = FFileType::fromPath(path.string()).extension;
    const auto& known = AEFormatImport::extensions();
    return extension == "aif" || extension == "aiff" ||
           std::find(known.begin(), known.end(), extension) != known.end();
}

// The output's name below DIR: the input's, in FLAC when restore does not write its kind.
fs::path outputName(const fs::path& relative) {
    if (CliRun::outputFormat(relative.string())) {
        return relative;
    }
    fs::path flac = relative;
    return flac.replace_extension(".flac");
}

bool samePlace(const fs::path& a, const fs::path& b) {
    std::error_code error;
    return fs::equivalent(a, b, error);
}

// The audio files below `folder`, in name order, leaving out `skip` (the output folder).
std::vector<fs::path> audioFilesIn(const fs::path& folder, const fs::path& skip) {
    std::vector<fs::path> files;
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(
             folder, fs::directory_options::skip_permission_denied, error);
         !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
        if (it->is_directory(error) && samePlace(it->path(), skip)) {
            it.disable_recursion_pending();
        } else if (it->is_regular_file(error) && isAudioName(it->path())) {
            files.push_back(it->path());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

// Starts `restore IN OUT ...` as a program of its own. Its standard output (the one line
// of what it repaired) and errors go where ours go. It stops (and cleans up) if we die.
pid_t start(const std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent) {
            _exit(1);
        }
        std::signal(SIGINT, SIG_IGN); // Ctrl-C reaches us, and we pass it on as SIGTERM
        // Once we are gone, nobody may read its errors: a cancelled restore still cleans up.
        std::signal(SIGPIPE, SIG_IGN);
        execv("/proc/self/exe", argv.data());
        _exit(127);
    }
    return pid;
}

} // namespace

namespace RestoreCollection {

bool plan(const std::vector<std::string>& inputs, const std::string& outDir,
          std::vector<Item>& items) {
    items.clear();
    std::map<std::string, std::string> inputOf; // output → input, to find clashes
    auto add = [&](const fs::path& input, const fs::path& relative) {
        const fs::path output = (fs::path(outDir) / outputName(relative)).lexically_normal();
        if (samePlace(input, output)) {
            Cli::fail("restore: \"" + input.string() + "\" would be restored over itself", 2);
            return false;
        }
        const auto [at, added] = inputOf.emplace(output.string(), input.string());
        if (!added) {
            Cli::fail("restore: \"" + at->second + "\" and \"" + input.string() +
                          "\" would both be restored to \"" + output.string() + "\"",
                      2);
            return false;
        }
        items.push_back({input.string(), output.string()});
        return true;
    };
    for (const std::string& input : inputs) {
        std::error_code error;
        const fs::path path(input);
        if (fs::is_directory(path, error)) {
            // As cp -r copies it: below DIR under its own name.
            const fs::path name = fs::weakly_canonical(path, error).filename();
            for (const fs::path& file : audioFilesIn(path, outDir)) {
                if (!add(file, name / file.lexically_relative(path))) {
                    return false;
                }
            }
        } else if (fs::is_regular_file(path, error)) {
            if (!add(path, path.filename())) {
                return false;
            }
        } else {
            Cli::fail("restore: \"" + input + "\" is not a file or folder", 2);
            return false;
        }
    }
    return true;
}

int run(const std::vector<Item>& items, const std::string& outDir,
        const std::vector<std::string>& options, int jobs, bool quiet) {
    std::error_code error;
    fs::create_directories(outDir, error);
    const std::string manifest = (fs::path(outDir) / RestoreManifest::kFileName).string();
    const std::set<std::string> recorded = RestoreManifest::outputs(manifest);

    std::vector<const Item*> waiting;
    int32_t present = 0;
    for (const Item& item : items) {
        if (!fs::exists(item.output, error)) {
            waiting.push_back(&item);
            continue;
        }
        ++present;
        // Restored by a run stopped between its move and its line, or put there by hand.
        const std::string name = RestoreManifest::outputName(manifest, item.output);
        if (recorded.count(name) == 0) {
            RestoreManifest::append(manifest,
                                    "{\"input\":" + RestoreManifest::jsonString(item.input) +
                                        ",\"output\":" + RestoreManifest::jsonString(name) +
                                        ",\"skipped\":\"the output was there already\"}");
        }
    }

    gStop = false;
    std::signal(SIGINT, stopOnSignal);
    std::signal(SIGTERM, stopOnSignal);
    std::map<pid_t, const Item*> running;
    size_t next = 0;
    bool stopping = false;
    int32_t restored = 0;
    int32_t failed = 0;
    Cli::progress("restore", 0, static_cast<long long>(waiting.size()), quiet);
    while (next < waiting.size() || !running.empty()) {
        while (!gStop && next < waiting.size() && static_cast<int>(running.size()) < jobs) {
            const Item& item = *waiting[next++];
            fs::create_directories(fs::path(item.output).parent_path(), error);
            std::vector<std::string> arguments = {
                "gleam-cli", "restore", item.input, item.output, "--quiet", "--manifest", manifest};
            arguments.insert(arguments.end(), options.begin(), options.end());
            const pid_t pid = start(arguments);
            if (pid < 0) {
                Cli::fail("restore: cannot start a restore of \"" + item.input + "\"");
                ++failed;
                continue;
            }
            running.emplace(pid, &item);
        }
        if (gStop && !stopping) {
            stopping = true;
            for (const auto& [pid, item] : running) {
                kill(pid, SIGTERM);
            }
        }
        int status = 0;
        const pid_t pid = waitpid(-1, &status, WNOHANG);
        if (pid <= 0) {
            if (pid < 0 && errno == ECHILD) {
                break;
            }
            std::this_thread::sleep_for(kPollInterval);
            continue;
        }
        if (running.erase(pid) == 0) {
            continue;
        }
        const bool done = WIFEXITED(status) && WEXITSTATUS(status) == 0;
        done ? ++restored : ++failed;
        Cli::progress("restore", restored + failed, static_cast<long long>(waiting.size()), quiet);
    }
    Cli::progressDone(quiet);
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);

    std::printf("%s: %d restored, %d done before, %d failed%s\n", outDir.c_str(), restored, present,
                failed, gStop ? ", stopped" : "");
    if (gStop) {
        Cli::fail("restore: cancelled; the same command goes on where it stopped");
        return 1;
    }
    return failed == 0 ? 0 : 1;
}

} // namespace RestoreCollection
