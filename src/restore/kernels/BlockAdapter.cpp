#include "BlockAdapter.h"

BlockAdapter::BlockAdapter(int32_t blockSize) : blockSize_(std::max(blockSize, 1)) {
    for (int32_t c = 0; c < kMaxChannels; ++c) {
        input_[c].assign(blockSize_, 0.0f);
        output_[c].assign(blockSize_, 0.0f);
    }
}
