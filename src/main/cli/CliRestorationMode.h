#pragma once

#include "RestorationMode.h"

#include <optional>
#include <string>

namespace CliRun {

// The restoration mode `text` names ("classic" or "enhanced"); without --mode (empty
// text) the user's stored choice (registry `restorationMode`), enhanced when none. Prints
// why and gives nothing for any other text.
std::optional<RestorationMode> restorationMode(const std::string& command, const std::string& text);

} // namespace CliRun
