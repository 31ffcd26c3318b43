#pragma once

#include "WaveDevice.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

// Buffer headers with memory for a wave device under test, and the order in which the
// device called them back (by index).
class WaveTestBuffers {
public:
    WaveTestBuffers(size_t count, uint32_t frames) : frames_(frames) {
        for (size_t i = 0; i < count; ++i) {
            memory_.emplace_back(static_cast<size_t>(frames) * WaveFormat::kBytesPerFrame);
            headers_.push_back(std::make_unique<WaveHeader>());
            headers_.back()->data = memory_.back().data();
            headers_.back()->bufferLength = frames * WaveFormat::kBytesPerFrame;
        }
    }

    size_t count() const { return headers_.size(); }
    uint32_t frames() const { return frames_; }
    WaveHeader& header(size_t index) { return *headers_[index]; }
    int16_t* samples(size_t index) { return reinterpret_cast<int16_t*>(memory_[index].data()); }

    size_t indexOf(const WaveHeader& header) const {
        for (size_t i = 0; i < headers_.size(); ++i) {
            if (headers_[i].get() == &header) {
                return i;
            }
        }
        return headers_.size();
    }

    // The callback to give the device. `also` runs after the completion is noted.
    WaveDevice::DoneCallback callback(std::function<void(size_t index)> also = {}) {
        return [this, also](WaveHeader& header) {
            const size_t index = indexOf(header);
            {
                std::lock_guard<std::mutex> lock(mutex_);
                completed_.push_back(index);
            }
            changed_.notify_all();
            if (also) {
                also(index);
            }
        };
    }

    bool prepareAll(WaveDevice& device) {
        for (auto& header : headers_) {
            if (device.prepare(*header) != WaveResult::kOk) {
                return false;
            }
        }
        return true;
    }

    bool waitCompleted(size_t count, std::chrono::milliseconds timeout) {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, timeout, [&] { return completed_.size() >= count; });
    }

    std::vector<size_t> completed() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return completed_;
    }

private:
    uint32_t frames_;
    std::vector<std::vector<uint8_t>> memory_;
    std::vector<std::unique_ptr<WaveHeader>> headers_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<size_t> completed_;
};
