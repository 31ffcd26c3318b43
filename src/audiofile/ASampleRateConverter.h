#pragma once

#include <cstdint>
#include <limits>
#include <vector>

// Sample-rate conversion by linear interpolation, for interleaved mono or stereo frames.
// The object keeps its read position (phase) and the last input frame across process()
// calls, so a stream converted in blocks is the same as one converted at once. All memory
// is allocated in the constructor; process() allocates nothing.
//
// Read position: the next output lies `phase` after the last input frame of the previous
// call (a) on the way to the first frame of this call (b); output = a*(1-phase) + b*phase.
// After each output the phase grows by ratio = source rate / destination rate and every
// whole unit it passes moves on by one input frame. Between calls the phase lies in
// (0, 1] for a read position inside the input, above 1 when outputs skip input frames.
class ASampleRateConverter {
public:
    ASampleRateConverter(int32_t channels, double sourceRate, double destinationRate);

    // Phase 1.0 (the first output is the first input frame), last samples 0.
    void reset();

    // Source rate / destination rate, or 0 when the pair is unusable (a zero rate, a ratio
    // below 0.01 or above 100, or no channels).
    double ratio() const { return ratio_; }
    int32_t channels() const { return channels_; }
    double phase() const { return static_cast<double>(phase_) / static_cast<double>(kOne); }
    // Set when the previous call ended between two input frames.
    bool carry() const { return carry_ != 0; }

    // Converts `frames` input frames into at most `capacity` output frames and returns the
    // number written; 0 on failure (ratio 0, or `channels` not this object's 1 or 2).
    // Input frames past what the outputs needed are not consumed (see consumed()): a caller
    // that stops at `capacity` hands them in again on the next call.
    int32_t process(uint8_t* destination, const uint8_t* source, int32_t frames, int32_t channels,
                    int32_t capacity = kUnbounded);
    int32_t process(int8_t* destination, const int8_t* source, int32_t frames, int32_t channels,
                    int32_t capacity = kUnbounded);
    int32_t process(int16_t* destination, const int16_t* source, int32_t frames, int32_t channels,
                    int32_t capacity = kUnbounded);
    int32_t process(float* destination, const float* source, int32_t frames, int32_t channels,
                    int32_t capacity = kUnbounded);

    // Input frames the last process() call consumed.
    int32_t consumed() const { return consumed_; }
    // Input frames needed, from the current state, for `outputFrames` outputs.
    int64_t inputFramesFor(int64_t outputFrames) const;
    // The most outputs `inputFrames` input frames can give from the current state.
    int64_t outputFramesFor(int64_t inputFrames) const;

    static constexpr int32_t kUnbounded = std::numeric_limits<int32_t>::max();

private:
    template <class T>
    int32_t run(T* destination, const T* source, int32_t frames, int32_t channels,
                int32_t capacity);

    // The phase is kept in fixed point (32 fraction bits), so that the read position is
    // exact and a stream gives the same frames whatever its blocks.
    static constexpr int64_t kOne = int64_t{1} << 32;

    double sourceRate_;
    double destinationRate_;
    double ratio_ = 0.0;
    int64_t step_ = 0;
    int64_t phase_ = kOne;
    std::vector<float> last_;
    int32_t channels_;
    int32_t carry_ = 0;
    int32_t consumed_ = 0;
};
