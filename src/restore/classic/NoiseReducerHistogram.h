#pragma once

#include <array>
#include <cstdint>
#include <vector>

// The level histogram of one sub-band of one channel, from which the noise level of that
// sub-band is read. Bin powers are counted by level index (128 levels from -120 dB to
// -20 dB); a ring holds the last 8192 indices, so the histogram always counts the most
// recent ones, the oldest leaving as each new one comes. The noise level is taken from
// the lowest clear peak of the smoothed histogram, or from the highest one when that lies
// lower still.
//
// Levels are in log10 units of power (-8 is -80 dB). Buffers are made in the
// constructor; nothing allocates afterwards.
class NoiseReducerHistogram {
public:
    static constexpr int32_t kLevels = 128;
    static constexpr int32_t kRing = 8192;
    static constexpr double kLowestDb = -120.0;
    static constexpr double kStepDb = 100.0 / 127.0;
    static constexpr double kResetLevel = -8.0;
    // Above this level a peak is no longer the noise floor.
    static constexpr int32_t kFloorSpread = 20; // trunc(15 dB / step) + 1
    // Stored index of a level pulled down to the mean of the sub-bands.
    static constexpr int32_t kLimitedIndex = -24; // 1 - trunc(20 dB / step)

    NoiseReducerHistogram();

    // Level index of a power: trunc((10 log10 P + 120) / step), with P <= 1e-14 counting
    // as -140 dB. Negative below -120 dB.
    static int32_t levelIndex(float power);
    // log10 of the level table entry T[i] = 10^((-120 + i step) / 10).
    static double tableLevel(int32_t index);

    void reset();
    // Counts a level index (0 .. 127) and forgets the oldest one in the ring.
    void add(int32_t index);
    // Ends one update of the sub-band: the two edge levels never count.
    void finishUpdate();
    // Looks for the noise floor in the smoothed histogram and moves the level toward it.
    void evaluate();
    // Pulls the level down to `mean` when it lies above.
    void limitTo(double mean);

    double level() const { return level_; }
    int32_t count(int32_t index) const { return counts_[index]; }
    int32_t storedIndex() const { return storedIndex_; }
    int32_t candidateIndex() const { return candidateIndex_; }

private:
    std::array<int32_t, kLevels> counts_{};
    std::vector<uint8_t> ring_;
    int32_t write_ = 0;
    int32_t read_ = 1;
    int32_t storedIndex_ = kLevels - 1;
    int32_t candidateIndex_ = kLevels - 1;
    double candidateLevel_ = kResetLevel;
    double level_ = kResetLevel;
};
