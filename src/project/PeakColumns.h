#pragma once

#include <cstdint>

// Peak blocks gathered into the columns of a waveform view: each column holds the
// extremes of every block under it, so no peak hides between two columns however far the
// view is zoomed out.
namespace PeakColumns {

// The four extremes (left min, left max, right min, right max) of `count` blocks from
// `blocks`; they start at 0, as each block's do.
void combine(const int8_t* blocks, int64_t count, int8_t out[4]);

// Fills up to `columns` columns of `step` blocks each, from block `first` of `blocks`
// (`blockCount` valid ones), into `out` (4 bytes a column). Returns the columns filled:
// fewer than asked where the blocks end.
int32_t gather(const int8_t* blocks, int64_t blockCount, int64_t first, int64_t step,
               int32_t columns, int8_t* out);

// The same for columns of `framesPerColumn` frames from frame `firstFrame`, which need
// not fall on block boundaries (a view fitted to a title): each column takes the blocks
// its frames begin in, at least one.
int32_t gatherFrames(const int8_t* blocks, int64_t blockCount, int64_t firstFrame,
                     int64_t framesPerColumn, int32_t columns, int8_t* out);

} // namespace PeakColumns
