#include "RunLog.h"

#include "FFileSystem.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

std::string RunLog::defaultPath() {
    return FFileSystem::stateDirectory() + "/AE.log";
}

RunLog::RunLog() : path_(defaultPath()) {
    const char* flag = std::getenv("GLEAM_LOG");
    enabled_ = flag && std::strcmp(flag, "1") == 0;
    if (!enabled_) {
        return;
    }
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(path_).parent_path(), ignored);
    if (std::FILE* file = std::fopen(path_.c_str(), "w")) {
        std::fputs("Starting up\n", file);
        std::fclose(file);
    }
}

void RunLog::append(const char* format, ...) const {
    if (!enabled_) {
        return;
    }
    std::FILE* file = std::fopen(path_.c_str(), "a");
    if (!file) {
        return;
    }
    va_list args;
    va_start(args, format);
    std::vfprintf(file, format, args);
    va_end(args);
    std::fclose(file);
}

void RunLog::log(const char* text) const {
    append("%s\n", text);
}

void RunLog::logInt(long n) const {
    append("%li\n", n);
}

void RunLog::logFloat(float x) const {
    append("%f\n", static_cast<double>(x));
}

void RunLog::logTextInt(const char* text, long n) const {
    append("%s %li\n", text, n);
}
