#pragma once

#include <array>
#include <atomic>
#include <cstdint>

// The four level meters (0..99) and the two clip flags the engine drives, as the window
// and gleam-cli read them (any thread). While recording, a buffer's levels show on the
// input meters at once; while playing they pass through a ring as long as the output's
// buffer ring, so the output meters show the buffer being heard, not the one just
// filled. Only the engine's worker feeds them; reset and zero come from the engine
// under its lock.
class AELevelMeters {
public:
    enum Meter : int32_t { kOutLeft = 0, kOutRight = 1, kInLeft = 2, kInRight = 3 };
    static constexpr int32_t kMeterCount = 4;
    // A peak above this is taken for clipping.
    static constexpr int32_t kClipPeak = 32760;
    static constexpr int32_t kPeakPerStep = 330;
    static constexpr int32_t kMaxLevel = 99;
    static constexpr int32_t kRingCapacity = 16;

    static int32_t level(int32_t peak);
    static bool clips(int32_t peak) { return peak > kClipPeak; }

    void setEnabled(bool on) { enabled_.store(on); }
    bool enabled() const { return enabled_.load(); }

    // Empties the rings, now `ringLength` long (the number of play buffers), clears the
    // clip flags and sets the meters to 0.
    void reset(int32_t ringLength);
    void zero();
    // A buffer being recorded / played (interleaved stereo frames).
    void showRecorded(const int16_t* samples, int32_t frames);
    void showPlayed(const int16_t* samples, int32_t frames);

    int32_t value(Meter meter) const { return values_[meter].load(std::memory_order_relaxed); }
    // Channel 0 left, 1 right; set by a clipping buffer, cleared by clearClipFlags or reset.
    bool clipFlag(int32_t channel) const;
    void clearClipFlags();

private:
    void set(Meter meter, int32_t level) { values_[meter].store(level, std::memory_order_relaxed); }
    void noteClips(int32_t leftPeak, int32_t rightPeak);

    std::atomic<bool> enabled_{false};
    std::array<std::atomic<int32_t>, kMeterCount> values_{};
    std::array<std::atomic<bool>, 2> clip_{};
    // The worker's alone.
    std::array<int32_t, kRingCapacity> ringLeft_{};
    std::array<int32_t, kRingCapacity> ringRight_{};
    int32_t ringLength_ = 1;
    int32_t writeIndex_ = 0;
    int32_t readIndex_ = 0;
};
