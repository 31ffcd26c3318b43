#pragma once

#include <cstdint>
#include <string>

class AEApplication;

// What gleam-cli play and record share: the sound card of the session's application,
// opened with the stored sound card settings, and the one updating status line.
namespace CliAudio {

// Opens the device (record mode) and starts the engine's worker. A device whose input
// does not open is enough for playing (`needInput` false); otherwise prints why, prefixed
// by `command`, and returns false.
bool startEngine(AEApplication& app, const std::string& command, bool needInput);

// "[#####     ]": a meter level 0..99 in `width` characters.
std::string bar(int32_t level, int width);

// Rewrites the status line on standard error, when that is a terminal and not quiet.
void status(const std::string& text, bool quiet);
// Ends the status line.
void statusDone(bool quiet);

// How often the commands look at the engine.
constexpr int kPollMilliseconds = 100;

} // namespace CliAudio
