#include "AESilenceSplit.h"

#include "PeakBlocks.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

using AESilenceSplit::Range;

constexpr int32_t kBlock = PeakBlocks::kFramesPerBlock;

// A peak byte is a sample's high byte: the magnitudes it allows lie between these bounds.
int32_t lowerBound(int8_t byte) {
    return byte >= 0 ? byte * 256 : -byte * 256 - 255;
}

int32_t upperBound(int8_t byte) {
    return byte >= 0 ? byte * 256 + 255 : -byte * 256;
}

// The least and most the loudest sample of block `k` can be.
int32_t blockLower(const int8_t* blocks, int32_t k) {
    const int8_t* b = blocks + int64_t{k} * PeakBlocks::kBytesPerBlock;
    return std::max({lowerBound(b[0]), lowerBound(b[1]), lowerBound(b[2]), lowerBound(b[3])});
}

int32_t blockUpper(const int8_t* blocks, int32_t k) {
    const int8_t* b = blocks + int64_t{k} * PeakBlocks::kBytesPerBlock;
    return std::max({upperBound(b[0]), upperBound(b[1]), upperBound(b[2]), upperBound(b[3])});
}

// The blocks that cover the frames of `range`, within the blocks there are.
void blockSpan(int32_t blockCount, Range range, int32_t& first, int32_t& end) {
    first = std::clamp(range.start / kBlock, 0, blockCount);
    end = std::clamp(static_cast<int32_t>((int64_t{range.end} + kBlock - 1) / kBlock), first,
                     blockCount);
}

} // namespace

namespace AESilenceSplit {

int32_t sustainedPeak(const int8_t* blocks, int32_t blockCount, Range range) {
    int32_t first = 0;
    int32_t end = 0;
    blockSpan(blockCount, range, first, end);
    int32_t peak = 0;
    for (int32_t k = first; k + kSustainedBlocks <= end; ++k) {
        int32_t level = blockUpper(blocks, k);
        for (int32_t j = 1; j < kSustainedBlocks && level > peak; ++j) {
            level = std::min(level, blockUpper(blocks, k + j));
        }
        peak = std::max(peak, level);
    }
    return std::min(peak, 32767);
}

int32_t thresholdLevel(int32_t peak, double db) {
    return static_cast<int32_t>(std::lround(peak * std::pow(10.0, db / 20.0)));
}

std::vector<Range> candidates(const int8_t* blocks, int32_t blockCount, Range range,
                              int32_t threshold, int32_t minSilenceFrames) {
    int32_t first = 0;
    int32_t end = 0;
    blockSpan(blockCount, range, first, end);
    std::vector<Range> found;
    // Frames past the peaks (the last partial block) are not known to be loud.
    int32_t quietFrom = range.start;
    auto close = [&](int32_t loudFrom) {
        // One block of margin either side: a block boundary is not a sample boundary.
        const Range stretch{std::max(range.start, quietFrom - kBlock),
                            std::min(range.end, loudFrom + kBlock)};
        if (stretch.length() >= minSilenceFrames) {
            found.push_back(stretch);
        }
    };
    for (int32_t k = first; k < end;) {
        if (blockLower(blocks, k) <= threshold) {
            ++k;
            continue;
        }
        int32_t runEnd = k;
        while (runEnd < end && blockLower(blocks, runEnd) > threshold) {
            ++runEnd;
        }
        if (runEnd - k >= kSustainedBlocks) {
            close(std::max(range.start, k * kBlock));
            quietFrom = std::min(range.end, runEnd * kBlock);
        }
        k = runEnd;
    }
    if (quietFrom < range.end) {
        close(range.end);
    }
    return found;
}

int32_t robustLevel(const int16_t* samples, int32_t frames, int32_t* scratch) {
    frames = std::min(frames, kWindowFrames);
    if (frames <= kImpulseSamples) {
        return 0;
    }
    for (int32_t i = 0; i < frames; ++i) {
        scratch[i] =
            std::max(std::abs(int32_t{samples[2 * i]}), std::abs(int32_t{samples[2 * i + 1]}));
    }
    int32_t* nth = scratch + (frames - 1 - kImpulseSamples);
    std::nth_element(scratch, nth, scratch + frames);
    return *nth;
}

GapFinder::GapFinder(int32_t threshold, int32_t minSilenceFrames)
    : threshold_(threshold), minSilenceFrames_(minSilenceFrames),
      scratch_(static_cast<size_t>(kWindowFrames)) {}

void GapFinder::begin(int32_t position) {
    position_ = position;
    runStart_ = -1;
}

void GapFinder::feed(const int16_t* samples, int32_t frames) {
    for (int32_t at = 0; at < frames; at += kWindowFrames) {
        const int32_t now = std::min(kWindowFrames, frames - at);
        const bool silent =
            robustLevel(samples + int64_t{at} * 2, now, scratch_.data()) <= threshold_;
        if (silent && runStart_ < 0) {
            runStart_ = position_;
        } else if (!silent) {
            closeRun();
        }
        position_ += now;
    }
}

void GapFinder::end() {
    closeRun();
}

void GapFinder::closeRun() {
    if (runStart_ >= 0 && position_ - runStart_ >= minSilenceFrames_) {
        gaps_.push_back({runStart_, position_});
    }
    runStart_ = -1;
}

std::vector<Range> songsBetween(const std::vector<Range>& gaps, Range range,
                                int32_t minTitleFrames) {
    std::vector<Range> songs;
    int32_t cursor = range.start;
    auto add = [&](int32_t end) {
        if (end - cursor >= minTitleFrames) {
            songs.push_back({cursor, end});
        }
    };
    for (const Range& gap : gaps) {
        const int32_t start = std::clamp(gap.start, range.start, range.end);
        if (start > cursor) {
            add(start);
        }
        cursor = std::max(cursor, std::clamp(gap.end, range.start, range.end));
    }
    if (cursor < range.end) {
        add(range.end);
    }
    return songs;
}

} // namespace AESilenceSplit
