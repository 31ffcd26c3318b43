#pragma once

#include "AEFileManager.h"
#include "AEProject.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The requests of `gleam-cli project FILE.dat ...` that change a project or export from it,
// and the helpers they share with the project command. Title numbers on the command line
// are 1-based, as the title list prints them. Each returns the exit status.
namespace ProjectCli {

std::string absolutePath(const std::string& path);
// The value after `option` (removed from the arguments with it); false when the option
// is given without a value.
bool takeOption(std::vector<std::string>& args, const char* option, std::string& value);

// Loads the project at `path` as the program does (dropping titles whose audio is gone,
// named on standard error); null after one line on standard error when it cannot.
std::unique_ptr<AEProject> loadProject(const std::string& path);
// Saves the project to `path`; false after one line on standard error.
bool saveProject(const AEProject& project, const std::string& path);
// False after one line on standard error when the audio of one of `indices` is missing or
// `out` (any of `outs`) is a file a title refers to: exports never replace a title's audio.
bool exportAllowed(const AEProject& project, const std::vector<int32_t>& indices,
                   const std::vector<std::string>& outs);
// The index of title `number` (1-based text); −1 after one line on standard error when it
// names no title of the project.
int32_t titleIndex(const AEProject& project, const std::string& number);
// A loaded project with one of its titles chosen, and the file manager that reaches the
// project's files.
struct ChosenTitle {
    std::unique_ptr<AEProject> project;
    AEFileManager files;
    int32_t index = -1;

    // Loads the project at `path` and finds title `number` (1-based text) in it; false
    // after one line on standard error.
    bool load(const std::string& path, const std::string& number);
};

int importFiles(const std::string& path, const std::vector<std::string>& files, bool quiet);
int setTitle(const std::string& path, std::vector<std::string> args);
int moveTitle(const std::string& path, const std::vector<std::string>& args);
int removeTitle(const std::string& path, std::vector<std::string> args);
int exportTracklist(const std::string& path, const std::vector<std::string>& args, bool quiet);
int exportTitle(const std::string& path, const std::vector<std::string>& args, bool quiet);

} // namespace ProjectCli
