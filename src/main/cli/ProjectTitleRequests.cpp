// gleam-cli project FILE.dat set|move|remove: edits one title, moves it, or removes it.
#include "ProjectRequests.h"

#include "AEEditOperations.h"
#include "AEFileManager.h"
#include "AEProject.h"
#include "CliCommand.h"
#include "RestorationStages.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

static_assert(AETitle::kSlots == kRestorationStages.size());

bool parseWhole(const std::string& text, long& value) {
    char* end = nullptr;
    value = std::strtol(text.c_str(), &end, 10);
    return !text.empty() && *end == '\0';
}

bool parseControl(const std::string& text, const RestorationStage& stage, double& value) {
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return !text.empty() && *end == '\0' && std::isfinite(value) && value >= stage.low &&
           value <= stage.high;
}

// "A,B,C,D": four frame positions in order, the last within the title's audio.
bool parseFades(const std::string& text, int32_t length, std::array<int32_t, 4>& fades) {
    size_t start = 0;
    for (size_t k = 0; k < fades.size(); ++k) {
        const size_t comma = text.find(',', start);
        if ((comma == std::string::npos) != (k == fades.size() - 1)) {
            return false;
        }
        long value = 0;
        if (!parseWhole(text.substr(start, comma - start), value) || value < 0 ||
            value > INT32_MAX || (k > 0 && value < fades[k - 1])) {
            return false;
        }
        fades[k] = static_cast<int32_t>(value);
        start = comma + 1;
    }
    return length <= 0 || fades[3] <= length;
}

// The value of `option` ("" when it is not given); false after one line on standard
// error when it is given without a value.
bool takeValue(std::vector<std::string>& args, const char* option, std::string& value) {
    value.clear();
    if (!ProjectCli::takeOption(args, option, value)) {
        Cli::fail(std::string("project: ") + option + " needs a value");
        return false;
    }
    return true;
}

// Applies the options of `set` to `title`; false after one line on standard error.
bool applyOptions(std::vector<std::string>& args, AETitle& title) {
    std::string value;
    if (!takeValue(args, "--name", value)) {
        return false;
    }
    if (!value.empty()) {
        title.setDisplayName(value);
    }
    if (!takeValue(args, "--artist", value)) {
        return false;
    }
    if (!value.empty()) {
        title.setArtist(value);
    }
    if (!takeValue(args, "--pause", value)) {
        return false;
    }
    if (!value.empty()) {
        long pause = 0;
        if (!parseWhole(value, pause) || pause < 0 || pause > 4) {
            Cli::fail("project: --pause takes whole seconds from 0 to 4");
            return false;
        }
        title.setPauseSeconds(value);
    }
    if (!takeValue(args, "--fades", value)) {
        return false;
    }
    if (!value.empty()) {
        std::array<int32_t, 4> fades{};
        if (!parseFades(value, title.length(), fades)) {
            Cli::fail("project: --fades takes four frame positions A,B,C,D with A <= B <= C "
                      "<= D <= " +
                      std::to_string(title.length()));
            return false;
        }
        for (int k = 0; k < AETitle::kFadePoints; ++k) {
            title.setFadePoint(k, fades[static_cast<size_t>(k)]);
        }
    }
    for (int slot = 0; slot < AETitle::kSlots; ++slot) {
        const RestorationStage& stage = kRestorationStages[static_cast<size_t>(slot)];
        const std::string option = std::string("--") + stage.option;
        if (!takeValue(args, option.c_str(), value)) {
            return false;
        }
        if (value.empty()) {
            continue;
        }
        double position = 0.0;
        if (!parseControl(value, stage, position)) {
            Cli::fail("project: " + option + " takes a value " + restorationStageRange(stage));
            return false;
        }
        title.setProcessorParam(slot,
                                static_cast<int32_t>(std::lround(position * kStagePositions)));
        title.setProcessorEnabled(slot, position > 0.0);
    }
    if (!args.empty()) {
        Cli::fail("project: set: unknown argument \"" + args[0] + "\"");
        return false;
    }
    return true;
}

} // namespace

namespace ProjectCli {

int setTitle(const std::string& path, std::vector<std::string> args) {
    if (args.empty()) {
        return Cli::fail("project: usage: project FILE.dat set N [OPTIONS]", 2);
    }
    ChosenTitle chosen;
    if (!chosen.load(path, args[0])) {
        return 1;
    }
    AEProject& project = *chosen.project;
    args.erase(args.begin());
    if (!applyOptions(args, *project.title(chosen.index))) {
        return 2;
    }
    return saveProject(project, path) ? 0 : 1;
}

int moveTitle(const std::string& path, const std::vector<std::string>& args) {
    if (args.size() != 2 || (args[1] != "up" && args[1] != "down")) {
        return Cli::fail("project: usage: project FILE.dat move N up|down", 2);
    }
    ChosenTitle chosen;
    if (!chosen.load(path, args[0])) {
        return 1;
    }
    AEProject& project = *chosen.project;
    if (project.currentTitle() != chosen.index) {
        project.select(chosen.index);
    }
    const bool moved = args[1] == "up" ? project.moveCurrentUp() : project.moveCurrentDown();
    if (!moved) {
        return Cli::fail("project: title " + args[0] + " cannot move " + args[1]);
    }
    return saveProject(project, path) ? 0 : 1;
}

int removeTitle(const std::string& path, std::vector<std::string> args) {
    const auto flag = std::find(args.begin(), args.end(), "--delete-files");
    const bool deleteFiles = flag != args.end();
    if (deleteFiles) {
        args.erase(flag);
    }
    if (args.size() != 1) {
        return Cli::fail("project: usage: project FILE.dat remove N [--delete-files]", 2);
    }
    ChosenTitle chosen;
    if (!chosen.load(path, args[0])) {
        return 1;
    }
    AEProject& project = *chosen.project;
    // The command line is the confirmation the window would ask for.
    if (AEEditOperations::removeTitle(project, chosen.files, chosen.index, deleteFiles) < -1) {
        return Cli::fail("project: title " + args[0] + " could not be removed");
    }
    return saveProject(project, path) ? 0 : 1;
}

} // namespace ProjectCli
