#include "DiskSpace.h"

#include <filesystem>
#include <system_error>

namespace {

// The directory itself, or the nearest existing parent (a project folder may not exist yet).
std::filesystem::path existingAncestor(const std::string& directory) {
    std::filesystem::path path(directory.empty() ? std::string("/") : directory);
    std::error_code error;
    while (!std::filesystem::exists(path, error) && path.has_parent_path() &&
           path != path.parent_path()) {
        path = path.parent_path();
    }
    return path;
}

} // namespace

namespace DiskSpace {

int64_t totalKB(const std::string& directory) {
    std::error_code error;
    auto info = std::filesystem::space(existingAncestor(directory), error);
    return error ? 0 : static_cast<int64_t>(info.capacity / 1024);
}

int64_t freeKB(const std::string& directory) {
    std::error_code error;
    auto info = std::filesystem::space(existingAncestor(directory), error);
    return error ? 0 : static_cast<int64_t>(info.available / 1024);
}

} // namespace DiskSpace
