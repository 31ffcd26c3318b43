#pragma once

#include "PeakBlocks.h"

#include <cstdint>
#include <string>
#include <vector>

class AudioFile;

// The peak outline of one audio file in memory, and its peak file beside the audio (same
// path, last extension replaced by "pk"; the file holds the blocks and nothing else).
//
// Peaks come from the peak file (load), from the audio (build computes them when there is
// no peak file) or from a recording (beginRecording, addFrames for each buffer, finish).
// Failures are logged and leave the data empty; callers then draw nothing.
class AEPeakData {
public:
    static constexpr int32_t kGrowBytes = 262144;
    // No 32-bit frame count needs more blocks than this.
    static constexpr int64_t kMaxBlocks = (int64_t{INT32_MAX} / PeakBlocks::kFramesPerBlock) + 2;

    // The file is not owned and must outlive this object.
    explicit AEPeakData(AudioFile* audioFile);

    // The peak file when there is one of the audio's length, otherwise the peaks computed
    // from the audio and saved; false when neither could be had.
    bool build();
    // Reads the peak file; its last block is not counted.
    bool load();
    // Computes the peaks from the audio (ignoring any peak file) and saves them.
    bool compute();
    // Writes blockCount blocks to the peak file.
    bool save();

    // Starts a recording with an empty growable buffer.
    bool beginRecording();
    // Adds interleaved stereo 16-bit frames to the recording; a block may span buffers.
    bool addFrames(const int16_t* samples, int32_t frames);
    // Ends the recording and saves its complete blocks. After build() (an import runs
    // beginRecording, build, finish) the built peaks stand and nothing is rewritten.
    bool finish();

    bool isValid() const { return !data_.empty(); }
    // True when the last save() wrote the whole peak file.
    bool isSaved() const { return saved_; }
    int32_t blockCount() const { return blockCount_; }
    const int8_t* data() const { return data_.data(); }
    // Block k's four bytes; k must be below blockCount().
    const int8_t* block(int32_t k) const { return data_.data() + int64_t{k} * 4; }

    std::string peakPath() const;
    static std::string peakPath(const std::string& audioPath);

private:
    // Whether the loaded blocks cover the audio file as it is now.
    bool matchesAudio();
    bool resizeData(int64_t bytes, const char* failure);
    bool ensureCapacity(int64_t bytes);
    // Takes frames into the pending block and appends every block completed.
    void appendFrames(const int16_t* samples, int32_t frames);
    void appendPending();

    AudioFile* audioFile_;
    std::vector<int8_t> data_;
    int32_t blockCount_ = 0;
    int32_t writeOffset_ = 0;
    bool recording_ = false;
    bool saved_ = false;
    PeakBlocks::Range pending_;
    int32_t pendingFrames_ = 0;
};
