#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// One of the six restoration stages, as everything outside its own files names it.
struct RestorationStage {
    const char* option;  // command-line name, without "--"
    int32_t nameString;  // the window's fader caption and tooltip, in the string table
    int32_t sliderTag;   // the window's control tag of its fader
    int32_t switchTag;   // the window's control tag of its on/off switch
    double defaultValue; // a new title's value
    double low;          // the range of the value the user sets (a share of the fader's
    double high;         // travel; a title stores it as a position of kStagePositions)
};

// A title stores a stage's value as the fader position, 0 to this.
inline constexpr int32_t kStagePositions = 1000000;

// The stages in slot order. A stage's slot is its index here; the command-line options
// and their help, the window's faders, switches and tooltips, and a title's stored
// values are all made from this table.
inline constexpr std::array<RestorationStage, 6> kRestorationStages = {{
    {"click", 3027, 5, 79, 0.0, 0.0, 1.0},
    {"crackle", 3028, 6, 80, 0.0, 0.0, 1.0},
    {"noise", 3029, 7, 81, 0.0, 0.0, 1.0},
    {"bass", 3030, 10, 82, 0.0, 0.0, 1.0},
    {"width", 3031, 11, 83, 0.0, 0.0, 1.0},
    {"brilliance", 3032, 9, 92, 0.0, 0.0, 1.0},
}};

// "[--click P] [--crackle P] ..." for usage lines.
std::string restorationStageUsage();
// The options of the stages in slot order ("click", ...), followed by `more`.
std::vector<std::string> restorationStageOptions(std::initializer_list<std::string> more = {});
// "from 0 to 1".
std::string restorationStageRange(const RestorationStage& stage);
// The slot of the stage whose option is `option` (without "--"), or nothing.
std::optional<int32_t> restorationStageSlot(std::string_view option);
