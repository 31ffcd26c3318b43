#pragma once

#include "CddaTypes.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class AudioFile;
class FPendingFile;

// The WAVE file of one copied CD track: 44 100 Hz, 16 bits, two channels, written through
// AudioFile. The file is written under a temporary name beside its own and moved into
// place only by done(), so a track that fails or is stopped leaves no file behind, and an
// older file of that name stays as it was. It lives here rather than in platform/ because
// it writes through AudioFile, and audiofile/ may depend on platform/.
class CddaWaveWriter : public CddaSink {
public:
    // Sectors gathered before they go to the file (about a second of audio).
    static constexpr int32_t kBufferSectors = 64;

    CddaWaveWriter();
    // Removes the file unless done() completed it.
    ~CddaWaveWriter() override;
    CddaWaveWriter(const CddaWaveWriter&) = delete;
    CddaWaveWriter& operator=(const CddaWaveWriter&) = delete;

    // Creates the file for `path`; an error code.
    int32_t init(const std::string& path);
    int32_t lastError() const { return lastError_; }
    int32_t writeSectors(const int16_t* samples, int32_t sectors) override;
    // Writes what is left, completes the header and moves the file into place.
    int32_t done();
    // The path given to init().
    const std::string& path() const { return path_; }

private:
    int32_t flushBuffer();
    void fail(int32_t error);

    // Declared first so it goes last: the file is closed before it is removed.
    std::unique_ptr<FPendingFile> pending_;
    std::unique_ptr<AudioFile> file_;
    std::vector<int16_t> buffer_;
    int32_t bufferedSectors_ = 0;
    int32_t lastError_ = kCddaNotInitialised;
    std::string path_;
};
