#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string_view>

// Which set of repair stages fills slots 0..2 of a chain: the classic click, crackle and
// noise stages, or the enhanced ones. The stored value (registry `restorationMode`) is
// the number: 0 classic, 1 enhanced.
enum class RestorationMode : int32_t {
    kClassic = 0,
    kEnhanced = 1,
};

// The mode of a user who has stored no choice: the window's Options menu and gleam-cli's
// --mode still choose classic.
constexpr RestorationMode kDefaultRestorationMode = RestorationMode::kEnhanced;

// The mode a stored number stands for; anything unknown is classic.
inline RestorationMode restorationModeFrom(int32_t stored) {
    return stored == 1 ? RestorationMode::kEnhanced : RestorationMode::kClassic;
}

// "classic" or "enhanced", as gleam-cli takes them.
std::optional<RestorationMode> restorationModeNamed(std::string_view name);
const char* restorationModeName(RestorationMode mode);

// The mode processing runs use unless told otherwise: the application sets it from the
// user's choice, gleam-cli from --mode. Any thread may read or set it.
class RestorationChoice {
public:
    static RestorationMode current() { return mode_.load(std::memory_order_relaxed); }
    static void set(RestorationMode mode) { mode_.store(mode, std::memory_order_relaxed); }

private:
    static inline std::atomic<RestorationMode> mode_{kDefaultRestorationMode};
};
