#pragma once

#include <cstdint>
#include <string>

// Size and free space of the file system that holds a directory, in kilobytes (1024
// bytes). Free space is what the user may use. A path that cannot be queried gives 0.
namespace DiskSpace {
int64_t totalKB(const std::string& directory);
int64_t freeKB(const std::string& directory);
} // namespace DiskSpace
