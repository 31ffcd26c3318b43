#include "RestorationStages.h"

#include <cstdio>

std::string restorationStageUsage() {
    std::string usage;
    for (const RestorationStage& stage : kRestorationStages) {
        usage += std::string(usage.empty() ? "" : " ") + "[--" + stage.option + " P]";
    }
    return usage;
}

std::vector<std::string> restorationStageOptions(std::initializer_list<std::string> more) {
    std::vector<std::string> options;
    for (const RestorationStage& stage : kRestorationStages) {
        options.emplace_back(stage.option);
    }
    options.insert(options.end(), more);
    return options;
}

std::string restorationStageRange(const RestorationStage& stage) {
    char text[64];
    std::snprintf(text, sizeof text, "from %g to %g", stage.low, stage.high);
    return text;
}

std::optional<int32_t> restorationStageSlot(std::string_view option) {
    for (size_t slot = 0; slot < kRestorationStages.size(); ++slot) {
        if (option == kRestorationStages[slot].option) {
            return static_cast<int32_t>(slot);
        }
    }
    return std::nullopt;
}
