// A pending file reaches its final name only when committed; without replacing, never over
// a file that is there (which stays as it was).
#include "FPendingFile.h"

#include "support/TestDirs.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

void write(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::string read(const std::string& path) {
    std::ostringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

TEST(FPendingFile, CommitsWithOrWithoutReplacing) {
    TestDir dir;
    const struct {
        bool existing;
        bool replace;
        bool committed;
        const char* after;
    } rows[] = {{false, false, true, "new"},
                {true, false, false, "old"},
                {true, true, true, "new"},
                {false, true, true, "new"}};
    for (const auto& row : rows) {
        const std::string path = dir.file("take.flac");
        std::filesystem::remove(path);
        if (row.existing) {
            write(path, "old");
        }
        FPendingFile pending(path);
        write(pending.pendingPath(), "new");
        EXPECT_EQ(row.replace ? pending.commit() : pending.commitWithoutReplacing(), row.committed);
        EXPECT_EQ(read(path), row.after);
        EXPECT_FALSE(std::filesystem::exists(pending.pendingPath()));
    }
}

} // namespace
