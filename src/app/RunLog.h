#pragma once

#include <string>

// The run log: a plain text file of diagnostic lines, "AE.log" in $XDG_STATE_HOME/Gleam
// (~/.local/state/Gleam). It stays off, and never touches the file, unless the
// environment variable GLEAM_LOG is "1". Each line opens, appends and closes the file;
// a file that cannot be opened is ignored.
class RunLog {
public:
    RunLog();

    void log(const char* text) const;
    void logInt(long n) const;
    void logFloat(float x) const;
    void logTextInt(const char* text, long n) const;

    bool enabled() const { return enabled_; }
    const std::string& path() const { return path_; }

    static std::string defaultPath();

private:
    void append(const char* format, ...) const __attribute__((format(printf, 2, 3)));

    std::string path_;
    bool enabled_ = false;
};
