#pragma once

#include <string>
#include <vector>

// One command of gleam-cli ("info", "restore", "project" ...). Each command lives in its
// own file under src/main/cli/ and registers itself with a static CliRegistration.
// `run` receives the arguments after the command name and returns the exit status; on
// failure it prints one clear line on standard error.
struct CliCommand {
    const char* name;
    const char* synopsis; // e.g. "info FILE..."
    const char* summary;  // one line for --help
    int (*run)(const std::vector<std::string>& args);
};

namespace CliRegistry {
void add(const CliCommand& command);
// All commands, in name order.
std::vector<CliCommand> all();
const CliCommand* find(const std::string& name);
} // namespace CliRegistry

struct CliRegistration {
    explicit CliRegistration(const CliCommand& command) { CliRegistry::add(command); }
};

// Helpers shared by commands.
namespace Cli {
// Prints "gleam-cli: <message>" on standard error and returns `status`.
int fail(const std::string& message, int status = 1);
// True when --quiet is among the arguments (it is then removed from them).
bool takeQuiet(std::vector<std::string>& args);
// A progress bar on standard error, drawn only when standard error is a terminal and
// not quiet; `done` of `total`.
void progress(const char* label, long long done, long long total, bool quiet);
void progressDone(bool quiet);
} // namespace Cli
