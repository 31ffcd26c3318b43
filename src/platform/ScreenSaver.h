#pragma once

#include <cstdint>
#include <string>

// Keeps the desktop's screen saver off while the program runs, through the
// org.freedesktop.ScreenSaver service of the session bus (Inhibit and UnInhibit). Without
// a session bus, or without that service on it, nothing happens and lastError says why.
// Used from the main thread.
class ScreenSaver {
public:
    // Lets the screen saver run again if it is still held off.
    ~ScreenSaver();

    // True when the screen saver is now held off (also when it already was).
    bool inhibit(const std::string& application, const std::string& reason);
    // True when it had been held off here and is now let go.
    bool uninhibit();
    bool inhibited() const { return inhibited_; }
    const std::string& lastError() const { return lastError_; }

private:
    uint32_t cookie_ = 0;
    bool inhibited_ = false;
    std::string lastError_;
};
