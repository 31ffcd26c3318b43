// libFuzzer target: loading a peak file, and a recording fed the input as audio in buffers
// whose sizes the input chooses. The loaded blocks lie within what was read (every byte is
// touched, so AddressSanitizer sees any overrun), and a recording in buffers gives the
// same blocks as the same frames delivered at once.
#include "AEPeakData.h"
#include "FuzzAudioFile.h"

#include "AudioFile.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

void require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "property violated: %s\n", what);
        std::abort();
    }
}

int checksum(const AEPeakData& peaks) {
    int sum = 0;
    for (int64_t i = 0; i < int64_t{peaks.blockCount()} * 4; ++i) {
        sum += peaks.data()[i];
    }
    return sum;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string audioPath = FuzzAudioFile::inputPath("wav");
    static const std::string peakPath = AEPeakData::peakPath(audioPath);
    FuzzAudioFile::writeInput(peakPath, data, size);

    AudioFile audio(audioPath);
    AEPeakData loaded(&audio);
    const bool ok = loaded.load();
    require(ok == (size >= 2), "a peak file of two bytes or more must load");
    if (ok) {
        require(int64_t{loaded.blockCount()} * 4 <= static_cast<int64_t>(size) - 1,
                "more blocks than the file holds");
        checksum(loaded);
    }

    // The same bytes as interleaved stereo frames, after a one-byte buffer size.
    if (size < 1) {
        return 0;
    }
    const int32_t buffer = data[0] + 1;
    std::vector<int16_t> samples((size - 1) / 4 * 2);
    if (!samples.empty()) {
        std::memcpy(samples.data(), data + 1, samples.size() * sizeof(int16_t));
    }
    const auto frames = static_cast<int32_t>(samples.size() / 2);
    AEPeakData whole(&audio);
    AEPeakData parts(&audio);
    require(whole.beginRecording() && parts.beginRecording(), "no recording buffer");
    require(whole.addFrames(samples.data(), frames), "adding frames failed");
    for (int32_t at = 0; at < frames; at += buffer) {
        const int32_t count = std::min(buffer, frames - at);
        require(parts.addFrames(samples.data() + int64_t{at} * 2, count), "adding frames failed");
    }
    require(whole.blockCount() == parts.blockCount(), "block counts depend on the buffers");
    require(std::memcmp(whole.data(), parts.data(), size_t(whole.blockCount()) * 4) == 0,
            "blocks depend on the buffers");
    return 0;
}
