#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

// High-quality sample-rate conversion of interleaved float frames (a linear-phase
// band-limited filter with about 28 bits of precision: alias and image components stay
// far below what 16 bits can show). The filter's delay is taken care of: output frame k
// lies at time k / destination rate, as input frame k lies at k / source rate.
// Allocates when made; process() and drain() allocate nothing.
class SoxrResampler {
public:
    ~SoxrResampler();
    SoxrResampler(const SoxrResampler&) = delete;
    SoxrResampler& operator=(const SoxrResampler&) = delete;

    // Null for rates or a channel count the converter cannot take.
    static std::unique_ptr<SoxrResampler> create(int32_t channels, double sourceRate,
                                                 double destinationRate);

    // Converts up to `frames` input frames into at most `capacity` output frames; returns
    // the output frames, and `consumed` the input frames taken (the rest must be handed in
    // again). -1 on failure.
    int64_t process(const float* input, int64_t frames, int64_t& consumed, float* output,
                    int64_t capacity);
    // After the last input: the frames still inside the filter, up to `capacity`; 0 once
    // all are out, -1 on failure.
    int64_t drain(float* output, int64_t capacity);

private:
    explicit SoxrResampler(void* handle) : handle_(handle) {}

    void* handle_;
};
