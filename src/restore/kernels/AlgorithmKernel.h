#pragma once

#include <cstdint>

// The kinds of object the algorithm library makes. The first seven are the float stages
// of the processor chain, numbered as their slots.
enum class ProcessorKind : int32_t {
    ClickRemover = 0,
    CrackleRemover = 1,
    NoiseReducer = 2,
    BassEnhancer = 3,
    StereoWidener = 4,
    BrillianceEnhancer = 5,
    PeakLimiter = 6,
    LevelNormalizer = 7,
};

// What a wrapper hands the library on every call.
struct ParameterBlock {
    int32_t channels = 2; // 1 while mono playback is on
    float value = 0.0f;   // the effective user value
    int32_t forceOn = 0;  // 1 when the processor ignores its off switch
};

// One algorithm object of the library, holding all its own state. Each works on separate
// float channel buffers in the range ±1.0 at 44 100 Hz; `in` and `out` hold
// params.channels pointers and may be the same buffers. process() allocates nothing.
class AlgorithmKernel {
public:
    virtual ~AlgorithmKernel() = default;

    virtual void process(const ParameterBlock& params, const float* const* in, float* const* out,
                         int32_t count) = 0;
    // Frames of delay between input and output.
    virtual int32_t latency() const { return 0; }
};
