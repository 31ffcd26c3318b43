#include "PeakColumns.h"

#include "PeakBlocks.h"

#include <algorithm>

namespace PeakColumns {

void combine(const int8_t* blocks, int64_t count, int8_t out[4]) {
    int8_t minL = 0, maxL = 0, minR = 0, maxR = 0;
    for (int64_t i = 0; i < count; ++i, blocks += 4) {
        minL = std::min(minL, blocks[0]);
        maxL = std::max(maxL, blocks[1]);
        minR = std::min(minR, blocks[2]);
        maxR = std::max(maxR, blocks[3]);
    }
    out[0] = minL;
    out[1] = maxL;
    out[2] = minR;
    out[3] = maxR;
}

int32_t gather(const int8_t* blocks, int64_t blockCount, int64_t first, int64_t step,
               int32_t columns, int8_t* out) {
    constexpr int64_t kFrames = PeakBlocks::kFramesPerBlock;
    return gatherFrames(blocks, blockCount, first * kFrames, step * kFrames, columns, out);
}

int32_t gatherFrames(const int8_t* blocks, int64_t blockCount, int64_t firstFrame,
                     int64_t framesPerColumn, int32_t columns, int8_t* out) {
    constexpr int64_t kFrames = PeakBlocks::kFramesPerBlock;
    if (framesPerColumn < 1 || firstFrame < 0) {
        return 0;
    }
    int32_t x = 0;
    for (; x < columns; ++x) {
        const int64_t from = firstFrame + x * framesPerColumn;
        const int64_t block = from / kFrames;
        if (block >= blockCount) {
            break;
        }
        const int64_t next = std::max(block + 1, (from + framesPerColumn) / kFrames);
        combine(blocks + block * 4, std::min(next, blockCount) - block, out + int64_t{x} * 4);
    }
    return x;
}

} // namespace PeakColumns
