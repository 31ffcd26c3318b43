#pragma once

#include <string>
#include <vector>

// gleam-cli project FILE.dat process N|all [--jobs J] and project FILE.dat normalize N|all:
// the window's processing and normalizing commands on a project file, which is saved
// afterwards. `args` are the arguments after "process" or "normalize"; `path` is absolute.
namespace ProjectRunCommands {
int process(const std::string& path, const std::vector<std::string>& args, bool quiet);
int normalize(const std::string& path, const std::vector<std::string>& args, bool quiet);
// project FILE.dat normalize-loudness N|all --target LUFS [--album]: EBU R128 loudness,
// each title to the target or (--album) all of them together with one gain; true peaks
// at most −1 dBTP.
int normalizeLoudness(const std::string& path, const std::vector<std::string>& args, bool quiet);
} // namespace ProjectRunCommands
