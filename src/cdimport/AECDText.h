#pragma once

#include <cstdint>
#include <string>

// The texts of the CD import: string `id` (English id) in the user's language, or in
// English when the process has no application (tools, tests).
namespace AECDText {

constexpr int32_t kTitle = 3007;
constexpr int32_t kDiskFull = 3008;
constexpr int32_t kGrabError = 3133;

std::string text(int32_t id);

} // namespace AECDText
