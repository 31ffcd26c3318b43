#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

// A fresh folder for one test's files, under GLEAM_TEST_TMP (the sandbox of
// scripts/run-test) or the system's temporary folder; removed again by the destructor.
class TestDir {
public:
    TestDir() {
        const char* base = std::getenv("GLEAM_TEST_TMP");
        std::string pattern =
            std::string(base && *base ? base : std::filesystem::temp_directory_path().c_str()) +
            "/t.XXXXXX";
        char* made = mkdtemp(pattern.data());
        path_ = made ? made : pattern;
    }
    ~TestDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TestDir(const TestDir&) = delete;
    TestDir& operator=(const TestDir&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// The whole content of a file ("" when it cannot be read).
inline std::string fileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
