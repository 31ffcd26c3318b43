#pragma once

// Files of the project benchmarks: a temporary folder removed at exit, and 44.1 kHz 16-bit
// stereo WAVE files written block by block through AudioFile.

#include "AudioFile.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace ProjectBench {

class TempFolder {
public:
    TempFolder() {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base && *base ? base : "/tmp") + "/gleam-bench.XXXXXX";
        if (!mkdtemp(pattern.data())) {
            std::perror("mkdtemp");
            std::exit(1);
        }
        path_ = pattern;
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// A 44.1 kHz 16-bit file of `frames` frames of a ramp-modulated pattern (stereo unless
// `channels` says otherwise); false on failure.
inline bool writeWave(const std::string& path, int64_t frames, int16_t channels = 2) {
    constexpr int32_t kBlock = 65536;
    AudioFile file(path);
    if (!file.create()) {
        return false;
    }
    file.setChannels(channels);
    file.setClientFormat(file.fileFormat());
    std::vector<int16_t> block(static_cast<size_t>(channels) * kBlock);
    for (int64_t done = 0; done < frames; done += kBlock) {
        for (size_t i = 0; i < block.size(); ++i) {
            block[i] = static_cast<int16_t>((done + static_cast<int64_t>(i)) * 31);
        }
        const auto count = static_cast<int32_t>(std::min<int64_t>(kBlock, frames - done));
        if (file.write(count, block.data()) != count) {
            return false;
        }
    }
    return file.close();
}

} // namespace ProjectBench
