#include "FFileSystem.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace FFileSystem {

int openRegular(const std::string& path, int flags) {
    // Non-blocking only for the open itself: a FIFO without a writer would wait forever.
    const int fd = ::open(path.c_str(), flags | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return -1;
    }
    struct stat st {};
    const int status = ::fcntl(fd, F_GETFL);
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || status < 0 ||
        ::fcntl(fd, F_SETFL, status & ~O_NONBLOCK) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

std::unique_ptr<FFileStream> open(const std::string& path, FAccessMode mode) {
    const bool readOnly = mode == FAccessMode::kRead;
    const int fd = openRegular(path, readOnly ? O_RDONLY : O_RDWR);
    if (fd < 0) {
        return nullptr;
    }
    std::FILE* file = ::fdopen(fd, readOnly ? "rb" : "r+b");
    if (!file) {
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<FFileStream>(file, path);
}

std::unique_ptr<FFileStream> create(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "w+b");
    if (!file) {
        return nullptr;
    }
    return std::make_unique<FFileStream>(file, path);
}

void close(std::unique_ptr<FFileStream>& stream) {
    stream.reset();
}

bool remove(const std::string& path) {
    return ::unlink(path.c_str()) == 0;
}

bool rename(const std::string& path, const std::string& newName) {
    if (newName.empty()) {
        return false;
    }
    std::string target = newName;
    if (newName.find('/') == std::string::npos) {
        auto slash = path.rfind('/');
        target = (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + newName;
    }
    if (exists(target)) {
        return false;
    }
    return std::rename(path.c_str(), target.c_str()) == 0;
}

bool exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

bool isRegularFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

int64_t size(FFileStream& stream) {
    return stream.size();
}

int64_t size(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        return -1;
    }
    return static_cast<int64_t>(st.st_size);
}

std::string stateDirectory() {
    std::string base;
    if (const char* state = std::getenv("XDG_STATE_HOME"); state && *state) {
        base = state;
    } else if (const char* home = std::getenv("HOME"); home && *home) {
        base = std::string(home) + "/.local/state";
    } else {
        base = "/tmp";
    }
    return base + "/Gleam";
}

} // namespace FFileSystem
