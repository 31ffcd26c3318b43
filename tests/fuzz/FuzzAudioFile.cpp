#include "FuzzAudioFile.h"

#include "AudioFile.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

void require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "property violated: %s\n", what);
        std::abort();
    }
}

int64_t fileSize(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        return -1;
    }
    std::fseek(file, 0, SEEK_END);
    long size = std::ftell(file);
    std::fclose(file);
    return size;
}

// Reads to the end in small blocks; the total may never pass what the file says it holds.
void readAll(AudioFile& file, std::vector<uint8_t>& buffer, int64_t limit) {
    const int32_t block = 64;
    buffer.resize(static_cast<size_t>(block) * static_cast<size_t>(file.clientBytesPerFrame()));
    int64_t total = 0;
    for (int i = 0; i < 4096; ++i) {
        int32_t got = file.read(block, buffer.data());
        if (got <= 0) {
            break;
        }
        require(got <= block, "a read returned more frames than asked");
        total += got;
    }
    require(total <= limit, "reads went past the frames of the file");
}

} // namespace

namespace FuzzAudioFile {

namespace {

// Plain storage, not a std::string: it must outlive static destruction for the exit handler.
char inputDir[4096];

void removeInputDir() {
    std::error_code error;
    std::filesystem::remove_all(inputDir, error);
}

} // namespace

std::string inputPath(const char* extension) {
    if (inputDir[0] == '\0') {
        const char* base = std::getenv("TMPDIR");
        std::snprintf(inputDir, sizeof inputDir, "%s/gleam-fuzz.XXXXXX",
                      base && *base ? base : "/tmp");
        if (!mkdtemp(inputDir)) {
            std::perror("mkdtemp");
            std::abort();
        }
        std::atexit(removeInputDir); // libFuzzer ends its timed runs with exit()
    }
    return std::string(inputDir) + "/input." + extension;
}

void writeInput(const std::string& path, const uint8_t* data, size_t size) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        std::abort();
    }
    if (size > 0) {
        std::fwrite(data, 1, size, file);
    }
    std::fclose(file);
}

int exercise(const std::string& path) {
    const int64_t size = fileSize(path);
    std::vector<uint8_t> buffer;
    {
        AudioFile file(path);
        if (!file.open(FAccessMode::kRead)) {
            return 0;
        }
        const int64_t frames = file.frames();
        const int64_t dataEnd = file.dataOffset() + frames * file.bytesPerFrame();
        require(frames >= 0 && file.bytesPerFrame() > 0 && file.channels() > 0,
                "an open file has frames, channels and bytes per frame");
        require(dataEnd <= size, "the frames lie within the file");
        readAll(file, buffer, frames);
        // The converting path: 16-bit stereo at 44.1 kHz, then float mono at another rate.
        file.seek(0);
        file.setClientFormat(AudioFormat{44100.0f, 16, 4, kSampleSigned, 0, 2});
        readAll(file, buffer, frames * 100 + 1);
        file.seek(0);
        file.setClientFormat(AudioFormat{22050.0f, 32, 4, kSampleFloat, kFormatPlanar, 1});
        readAll(file, buffer, frames * 100 + 1);
        file.close();
    }
    {
        // Appending and closing walks the header again to patch it.
        AudioFile file(path);
        if (file.open(FAccessMode::kReadWrite)) {
            std::vector<uint8_t> frames(static_cast<size_t>(file.bytesPerFrame()) * 16, 0x5A);
            file.seek(file.frames());
            file.write(16, frames.data());
            file.close();
        }
    }
    {
        // The header repair changes lengths only, never the file's size, and never counts
        // a frame the reader would not find.
        const int64_t before = fileSize(path);
        const AudioHeaderRepair repair = AudioFile::repairHeader(path);
        require(fileSize(path) == before, "the header repair kept the file's size");
        AudioFile file(path);
        if (repair.ok && file.open(FAccessMode::kRead)) {
            require(file.frames() <= repair.framesAfter, "the reader found no uncounted frame");
        }
    }
    return 0;
}

} // namespace FuzzAudioFile
