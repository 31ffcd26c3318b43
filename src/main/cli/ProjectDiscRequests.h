#pragma once

#include <string>
#include <vector>

// The requests of `gleam-cli project FILE.dat ...` that reshape a side or make a disc:
// `split N [--min-silence S] [--threshold DB] [--min-title S]` and `export-disc OUT.cue`.
// Each returns the exit status.
namespace ProjectCli {

int splitTitle(const std::string& path, std::vector<std::string> args, bool quiet);
int exportDisc(const std::string& path, const std::vector<std::string>& args, bool quiet);

} // namespace ProjectCli
