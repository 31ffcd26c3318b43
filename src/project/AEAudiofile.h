#pragma once

#include "AEProcessorHost.h"

#include "AudioFile.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

// One title file while one operation uses it: the audio engine playing or recording it,
// a conversion, a length check. It reads any file as interleaved 16-bit stereo at
// 44 100 Hz (a mono file's samples on both channels) and writes new files in that format.
//
// Positions are frames. The engine's side of a buffer (processBuffer) moves one buffer of
// audio between the file and the engine and then runs the processor slots over it; the
// mode decides how: play to the end, play without end, write, or loop a range. The
// positions the main thread changes while the engine runs (stop position, range) are
// atomic. Opening and closing belong to one thread.
class AEAudiofile : public AEProcessorHost {
public:
    enum Mode : int32_t { kPlayToEnd = 0, kPlayEndless = 1, kWrite = 2, kLoopRange = 3 };
    static constexpr int32_t kNoStop = -1;
    static constexpr int32_t kScratchBytes = 32768;
    // Mono frames the scratch buffer holds.
    static constexpr int32_t kScratchFrames = kScratchBytes / 2;
    // How far moveRange moves the loop range.
    static constexpr int32_t kRangeStep = 1025;
    static constexpr int32_t kDefaultQueuedBuffers = 4;

    // Nothing is opened yet.
    explicit AEAudiofile(const std::string& path,
                         std::shared_ptr<const ProcessorSwitches> switches = nullptr);
    // Closes the file.
    ~AEAudiofile() override;

    // Makes a new 44 100 Hz 16-bit stereo file (replacing one of the same name) and writes
    // its header; the mode becomes "write" and the position 0. False (logged) on failure.
    virtual bool create();
    // Opens the file for reading: length from the file, position 0, mode "play to end".
    virtual bool openForRead();
    // Writes what is pending (the header's lengths) and closes; false when that failed, so
    // a writer learns of a full disk even at the very end.
    bool close();
    bool isOpen() const { return audioFile_.isOpen(); }

    int32_t getLength() const { return length_.load(std::memory_order_relaxed); }
    // 0 when the position is at or beyond the end.
    int32_t getPosition() const;
    // Moves to `frame` (kept within the file).
    bool seek(int32_t frame);
    // Stores `frame` when it lies below the length, or whatever it is when `force` is set
    // (a recording's limit lies beyond its present length).
    void setStopPosition(int32_t frame, bool force);
    int32_t stopPosition() const { return stopPosition_.load(std::memory_order_relaxed); }
    // Loops [start, end): mode "loop a range". Refused unless 0 ≤ start < end.
    bool setLoopRange(int32_t start, int32_t end);
    // Moves the loop range kRangeStep frames later (direction > 0) or earlier; only in
    // mode "loop a range" and only as long as it stays within the file.
    bool moveRange(int32_t direction);
    int32_t rangeStart() const { return rangeStart_.load(std::memory_order_relaxed); }
    int32_t rangeEnd() const { return rangeEnd_.load(std::memory_order_relaxed); }
    int32_t mode() const { return mode_.load(std::memory_order_relaxed); }
    // Play to the end or without end (the engine's choice; writing and looping have their
    // own operations).
    bool setPlayMode(int32_t mode);
    int16_t channels() { return audioFile_.channels(); }

    // Reads up to `frames` frames from the position as interleaved stereo; the frames read
    // (0 at the end), or −1 when the file cannot be read.
    int32_t readStereo(int16_t* samples, int32_t frames);
    // Writes interleaved stereo frames at the position; the frames written, fewer when
    // the disk is full, −1 when nothing could be written.
    int32_t writeStereo(const int16_t* samples, int32_t frames);

    // The engine's side of one buffer: reads (or writes) `frames` frames as the mode says,
    // then runs the slots. Reading past the end gives silence.
    void processBuffer(int16_t* samples, int32_t frames) override;
    // Buffers queued at the output ahead of the one being filled: the end (or the loop's
    // end) counts as reached only once those have played too.
    void setQueuedBuffers(int32_t buffers) { queuedBuffers_ = buffers > 0 ? buffers : 1; }
    // Called on the engine's thread when the end or the stop position has been reached,
    // or a recording could not be written (the disk is full).
    void setEndHandler(std::function<void()> handler) { endHandler_ = std::move(handler); }

    const std::string& path() const { return path_; }
    AudioFile& audioFile() { return audioFile_; }

private:
    void reachEnd();
    void fillPlayBuffer(int16_t* samples, int32_t frames);

    std::string path_;
    AudioFile audioFile_;
    std::atomic<int32_t> length_{0};
    std::atomic<int32_t> position_{0};
    std::atomic<int32_t> stopPosition_{kNoStop};
    std::atomic<int32_t> rangeStart_{0};
    std::atomic<int32_t> rangeEnd_{0};
    std::atomic<int32_t> mode_{kPlayToEnd};
    bool created_ = false; // open for writing
    int32_t queuedBuffers_ = kDefaultQueuedBuffers;
    std::function<void()> endHandler_;
    std::array<int16_t, kScratchFrames> scratch_{};
};
