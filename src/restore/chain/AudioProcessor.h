#pragma once

#include <cstdint>

// One stage of the processor chain, working in place on interleaved 16-bit stereo
// frames. The float stages pass the signal on through their chain's work areas.
class AudioProcessor {
public:
    AudioProcessor() = default;
    AudioProcessor(const AudioProcessor&) = delete;
    AudioProcessor& operator=(const AudioProcessor&) = delete;
    virtual ~AudioProcessor() = default;

    // count is at most StageBuffers::kMaxFrames.
    virtual void process(int16_t* frames, int32_t count) = 0;
    // Frames of delay the processor adds.
    virtual int32_t latency() const { return 0; }
    // Trim and fade positions; only the fade envelope uses them.
    virtual void setFades(int32_t /*a*/, int32_t /*b*/, int32_t /*c*/, int32_t /*d*/) {}
    // The running frame position; only the fade envelope uses it.
    virtual void setPosition(int32_t /*frame*/) {}
};
