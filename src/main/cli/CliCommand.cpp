#include "CliCommand.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

std::vector<CliCommand>& commands() {
    static std::vector<CliCommand> list;
    return list;
}

} // namespace

namespace CliRegistry {

void add(const CliCommand& command) {
    commands().push_back(command);
}

std::vector<CliCommand> all() {
    std::vector<CliCommand> list = commands();
    std::sort(list.begin(), list.end(), [](const CliCommand& a, const CliCommand& b) {
        return std::strcmp(a.name, b.name) < 0;
    });
    return list;
}

const CliCommand* find(const std::string& name) {
    for (const auto& command : commands()) {
        if (name == command.name) {
            return &command;
        }
    }
    return nullptr;
}

} // namespace CliRegistry

namespace Cli {

int fail(const std::string& message, int status) {
    std::fprintf(stderr, "gleam-cli: %s\n", message.c_str());
    return status;
}

bool takeQuiet(std::vector<std::string>& args) {
    auto it = std::find(args.begin(), args.end(), "--quiet");
    if (it == args.end()) {
        return false;
    }
    args.erase(std::remove(args.begin(), args.end(), "--quiet"), args.end());
    return true;
}

void progress(const char* label, long long done, long long total, bool quiet) {
    if (quiet || !isatty(STDERR_FILENO) || total <= 0) {
        return;
    }
    constexpr int kWidth = 40;
    long long percent = std::clamp(done * 100 / total, 0LL, 100LL);
    int filled = static_cast<int>(percent * kWidth / 100);
    char bar[kWidth + 1];
    std::memset(bar, '.', kWidth);
    std::memset(bar, '#', static_cast<size_t>(filled));
    bar[kWidth] = '\0';
    std::fprintf(stderr, "\r%s [%s] %3lld %%", label, bar, percent);
    std::fflush(stderr);
}

void progressDone(bool quiet) {
    if (quiet || !isatty(STDERR_FILENO)) {
        return;
    }
    std::fprintf(stderr, "\n");
}

} // namespace Cli
