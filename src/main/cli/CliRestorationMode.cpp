#include "CliRestorationMode.h"

#include "CliCommand.h"
#include "RegistryStore.h"

namespace CliRun {

std::optional<RestorationMode> restorationMode(const std::string& command,
                                               const std::string& text) {
    if (text.empty()) {
        constexpr auto kNone = static_cast<int32_t>(kDefaultRestorationMode);
        int32_t stored = kNone;
        RegistryStore().readInt("restorationMode", stored, kNone);
        return restorationModeFrom(stored);
    }
    const std::optional<RestorationMode> mode = restorationModeNamed(text);
    if (!mode) {
        Cli::fail(command + ": --mode takes classic or enhanced, not \"" + text + "\"", 2);
    }
    return mode;
}

} // namespace CliRun
