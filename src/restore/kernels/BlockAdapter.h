#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

// Exchanges a stream of calls of any length for fixed blocks: input is gathered until a
// block is full, the block is processed, and its result is handed out while the next
// block is gathered. The output therefore lags the input by exactly one block, whatever
// the call lengths. Buffers are made in the constructor; process() allocates nothing.
class BlockAdapter {
public:
    static constexpr int32_t kMaxChannels = 2;

    explicit BlockAdapter(int32_t blockSize);

    int32_t blockSize() const { return blockSize_; }

    // `in` and `out` may be the same buffers. runBlock(const float* const* blockIn,
    // float* const* blockOut, int32_t channels) processes one full block.
    template <class RunBlock>
    void process(const float* const* in, float* const* out, int32_t channels, int32_t count,
                 RunBlock&& runBlock) {
        channels = std::clamp(channels, 1, kMaxChannels);
        for (int32_t done = 0; done < count;) {
            const int32_t piece = std::min(count - done, blockSize_ - fill_);
            for (int32_t c = 0; c < channels; ++c) {
                // Take the input before giving out: the caller may pass one buffer for both.
                std::copy_n(in[c] + done, piece, input_[c].data() + fill_);
                std::copy_n(output_[c].data() + fill_, piece, out[c] + done);
            }
            fill_ += piece;
            done += piece;
            if (fill_ == blockSize_) {
                const float* blockIn[kMaxChannels] = {input_[0].data(), input_[1].data()};
                float* blockOut[kMaxChannels] = {output_[0].data(), output_[1].data()};
                runBlock(blockIn, blockOut, channels);
                fill_ = 0;
            }
        }
    }

private:
    int32_t blockSize_;
    int32_t fill_ = 0;
    std::vector<float> input_[kMaxChannels];
    std::vector<float> output_[kMaxChannels];
};
