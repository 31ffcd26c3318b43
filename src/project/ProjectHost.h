#pragma once

#include "FShared.h"

#include <cstdint>
#include <string>
#include <vector>

class AppHost;

// How the project subsystem reaches the application (AppHost), with sensible behaviour
// when there is none (tests, tools): English texts, no messages, no log.
namespace ProjectHost {

// String `id` (English id, 3000 up) in the user's language.
std::string text(int32_t id);
// `items` one a line, at most ten of them, then "..." for the rest.
std::string lines(const std::vector<std::string>& items);
// String `id` with its "%1" replaced by `argument`.
std::string textWith(int32_t id, const std::string& argument);
// Asks the main thread to show string `id` (English id) in a message box.
void showString(int32_t id);
// Asks the main thread to show `message` in a message box.
void showText(const std::string& message);
// Asks the main thread to show `message` in the window's status line.
void showStatus(const std::string& message);
void log(const char* line);
// The application's busy flag (false without an application).
bool busy();
void setBusy(bool busy);
// The user's cancel request (never set without an application).
bool cancelRequested();
void setCancelRequested(bool cancel);
// Queues application message `tag`, with `object` when given (nothing without an
// application).
void post(int32_t tag, int32_t data = 0, FRef<FShared> object = {});
// Asks the user string `id` (English id) as a Yes/No question; without an application
// the answer is No, so nothing is ever done unasked.
bool ask(int32_t id);

// The shared progress display of a long operation, from begin to end of its scope, when
// there is an application to show it.
class Progress {
public:
    explicit Progress(int64_t steps);
    ~Progress();
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;
    void advance(int64_t steps = 1) const;

private:
    AppHost* host_;
};

} // namespace ProjectHost
