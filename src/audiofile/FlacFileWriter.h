#pragma once

#include <cstdint>
#include <memory>
#include <string>

// Writes 16-bit interleaved frames as a FLAC file (lossless: it decodes to exactly the
// frames written) with title and artist tags. The tags go into the file's header, so
// they are given when the file is made. Not thread-safe: one object, one thread.
class FlacFileWriter {
public:
    ~FlacFileWriter();
    FlacFileWriter(const FlacFileWriter&) = delete;
    FlacFileWriter& operator=(const FlacFileWriter&) = delete;

    // Creates (or replaces) `path`; null when it cannot be made.
    static std::unique_ptr<FlacFileWriter> create(const std::string& path, int32_t sampleRate,
                                                  int32_t channels, const std::string& title,
                                                  const std::string& artist);

    // False when not every frame could be written (a full disk).
    bool write(const int16_t* interleaved, int64_t frames);
    // Finishes the file; false when that failed. Called by the destructor otherwise.
    bool close();

private:
    explicit FlacFileWriter(void* handle) : handle_(handle) {}

    void* handle_;
};
