// gleam-cli: the restoration and project core for scripts and batch work.
#include "CliCommand.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

void printHelp() {
    std::printf("Usage: gleam-cli COMMAND [ARGUMENTS...]\n"
                "       gleam-cli --help | --version\n\n"
                "Restores and prepares recordings of records and tapes without the window.\n"
                "Long commands draw a progress bar on standard error when it is a terminal;\n"
                "--quiet silences it. Titles are numbered from 1, as in the title list.\n\n"
                "Commands:\n");
    for (const auto& command : CliRegistry::all()) {
        // Long synopses get a line of their own, so the summaries stay in one column.
        if (std::strlen(command.synopsis) > 34) {
            std::printf("  %s\n  %-34s %s\n", command.synopsis, "", command.summary);
        } else {
            std::printf("  %-34s %s\n", command.synopsis, command.summary);
        }
    }
    std::printf("\nOptions:\n"
                "  %-34s %s\n  %-34s %s\n",
                "--help", "show this help and exit", "--version", "show the version and exit");
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        printHelp();
        return 2;
    }
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        printHelp();
        return 0;
    }
    if (args[0] == "--version") {
        std::printf("gleam-cli %s\n", GLEAM_VERSION);
        return 0;
    }
    const CliCommand* command = CliRegistry::find(args[0]);
    if (!command) {
        return Cli::fail("unknown command \"" + args[0] + "\" (see gleam-cli --help)", 2);
    }
    args.erase(args.begin());
    return command->run(args);
}
