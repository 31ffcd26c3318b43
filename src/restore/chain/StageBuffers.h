#pragma once

#include <cstdint>
#include <vector>

class ProcessorSwitches;

// The float work areas of one chain: A and B, two channel buffers each. Between stages the
// current signal lives in B; a stage copies B to A and lets its kernel write the result
// back into B. The first stage to run on a block converts the 16-bit frames into B.
// Used by one thread at a time (the chain's).
class StageBuffers {
public:
    static constexpr int32_t kMaxFrames = 16384;

    StageBuffers();

    // A new block begins: B does not hold it yet.
    void beginBlock() { converted_ = false; }
    // Converts the block into B unless a stage already has, reading mono and the mono
    // channel from the switches.
    void takeBlock(const int16_t* frames, int32_t count, const ProcessorSwitches& switches);
    // Whether B holds the current block.
    bool converted() const { return converted_; }
    // Writes B back into the 16-bit frames (channel 0 to both sides in mono).
    void giveBlock(int16_t* frames, int32_t count, bool mono) const;

    float* a(int32_t channel) { return a_[channel].data(); }
    float* b(int32_t channel) { return b_[channel].data(); }

private:
    std::vector<float> a_[2];
    std::vector<float> b_[2];
    bool converted_ = false;
};
