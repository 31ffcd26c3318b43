#include "RestorationMode.h"

std::optional<RestorationMode> restorationModeNamed(std::string_view name) {
    if (name == "classic") {
        return RestorationMode::kClassic;
    }
    if (name == "enhanced") {
        return RestorationMode::kEnhanced;
    }
    return std::nullopt;
}

const char* restorationModeName(RestorationMode mode) {
    return mode == RestorationMode::kEnhanced ? "enhanced" : "classic";
}
