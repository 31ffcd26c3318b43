#pragma once

#include <cstdint>
#include <string>

// How the project subsystem reaches the application (AppHost), with sensible behaviour
// when there is none (tests, tools): English texts, no messages, no log.
namespace ProjectHost {

// String `id` (English id, 3000 up) in the user's language.
std::string text(int32_t id);
// Asks the main thread to show string `id` (English id) in a message box.
void showString(int32_t id);
// Asks the main thread to show `message` in a message box.
void showText(const std::string& message);
void log(const char* line);
// The application's busy flag (false without an application).
bool busy();

} // namespace ProjectHost
