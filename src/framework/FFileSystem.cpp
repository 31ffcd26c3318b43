#include "FFileSystem.h"

#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace FFileSystem {

std::unique_ptr<FFileStream> open(const std::string& path, FAccessMode mode) {
    const char* how = mode == FAccessMode::kRead ? "rb" : "r+b";
    std::FILE* file = std::fopen(path.c_str(), how);
    if (!file) {
        return nullptr;
    }
    struct stat st {};
    if (fstat(fileno(file), &st) != 0 || S_ISDIR(st.st_mode)) {
        std::fclose(file);
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

} // namespace FFileSystem
