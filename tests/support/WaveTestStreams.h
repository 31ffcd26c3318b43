#pragma once

#include "WaveTestBuffers.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <vector>

// Plays a signal (interleaved stereo 16-bit) through an output device the way the audio
// engine feeds it: all buffers queued, and each one refilled with the next block and
// queued again from its callback, until the signal is used up (the last block padded with
// silence). Give callback() to the device, then begin().
class WaveTestPlayer {
public:
    WaveTestPlayer(std::vector<int16_t> signal, WaveTestBuffers& buffers)
        : signal_(std::move(signal)), buffers_(buffers) {
        const size_t frames = signal_.size() / WaveFormat::kChannels;
        blocks_ = (frames + buffers.frames() - 1) / buffers.frames();
    }

    WaveDevice::DoneCallback callback() {
        return buffers_.callback([this](size_t index) {
            if (next_ < blocks_) {
                fill(index, next_++);
                if (device_->queue(buffers_.header(index)) != WaveResult::kOk) {
                    failures_.fetch_add(1);
                }
            }
        });
    }

    // Fills and queues every buffer (fewer when the signal is shorter) while the output is
    // paused, so no buffer comes back and is queued again before the last first one.
    bool begin(WaveDevice& device) {
        device_ = &device;
        if (!buffers_.prepareAll(device) || device.pause() != WaveResult::kOk) {
            return false;
        }
        const size_t first = std::min(blocks_, buffers_.count());
        next_ = first;
        for (size_t i = 0; i < first; ++i) {
            fill(i, i);
            if (device.queue(buffers_.header(i)) != WaveResult::kOk) {
                return false;
            }
        }
        return device.start() == WaveResult::kOk;
    }

    size_t blocks() const { return blocks_; }
    int failures() const { return failures_.load(); }
    bool waitFinished(std::chrono::milliseconds timeout) {
        return buffers_.waitCompleted(blocks_, timeout);
    }

private:
    void fill(size_t index, size_t block) {
        const size_t samplesPerBlock = static_cast<size_t>(buffers_.frames()) * 2;
        const size_t begin = block * samplesPerBlock;
        const size_t n = std::min(samplesPerBlock, signal_.size() - begin);
        int16_t* out = buffers_.samples(index);
        std::memcpy(out, signal_.data() + begin, n * sizeof(int16_t));
        std::fill(out + n, out + samplesPerBlock, int16_t{0});
    }

    std::vector<int16_t> signal_;
    WaveTestBuffers& buffers_;
    WaveDevice* device_ = nullptr;
    size_t blocks_ = 0;
    size_t next_ = 0; // touched by begin, then only by the completion thread
    std::atomic<int> failures_{0};
};

// Records from an input device the way the audio engine collects it: every filled buffer
// is appended to the recording and queued again from its callback until `frames` frames
// have come in. Give callback() to the device, then begin() and start the device.
class WaveTestRecorder {
public:
    WaveTestRecorder(size_t frames, WaveTestBuffers& buffers)
        : wanted_(frames), buffers_(buffers) {}

    WaveDevice::DoneCallback callback() {
        return buffers_.callback([this](size_t index) {
            WaveHeader& header = buffers_.header(index);
            const size_t samples = header.bytesRecorded.load() / sizeof(int16_t);
            bool again = false;
            {
                std::lock_guard<std::mutex> lock(mutex_);
                recording_.insert(recording_.end(), buffers_.samples(index),
                                  buffers_.samples(index) + samples);
                again = recording_.size() / WaveFormat::kChannels < wanted_;
            }
            if (again && device_->queue(header) != WaveResult::kOk) {
                failures_.fetch_add(1);
            }
            changed_.notify_all();
        });
    }

    bool begin(WaveDevice& device) {
        device_ = &device;
        if (!buffers_.prepareAll(device)) {
            return false;
        }
        for (size_t i = 0; i < buffers_.count(); ++i) {
            if (device.queue(buffers_.header(i)) != WaveResult::kOk) {
                return false;
            }
        }
        return true;
    }

    bool waitFinished(std::chrono::milliseconds timeout) {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(
            lock, timeout, [&] { return recording_.size() / WaveFormat::kChannels >= wanted_; });
    }

    std::vector<int16_t> recording() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return recording_;
    }
    int failures() const { return failures_.load(); }

private:
    size_t wanted_;
    WaveTestBuffers& buffers_;
    WaveDevice* device_ = nullptr;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<int16_t> recording_;
    std::atomic<int> failures_{0};
};
