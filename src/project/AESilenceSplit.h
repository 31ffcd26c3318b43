#pragma once

#include <cstdint>
#include <vector>

// Finding the gaps between songs in one recorded side: the arithmetic only, on peak
// blocks (PeakBlocks) and interleaved 16-bit stereo frames handed in by the caller.
//
// A stretch counts as silence when its level, measured after ignoring isolated impulses
// (a few loud samples of a click or crackle), stays at or below the threshold for the
// minimum silence. The peaks rule out everything that is loud for longer than an impulse;
// only the rest (the candidates) is looked at sample by sample.
namespace AESilenceSplit {

struct Settings {
    double minSilenceSeconds = 1.5;
    // Relative to the title's peak (itself measured ignoring impulses).
    double thresholdDb = -45.0;
    double minTitleSeconds = 7.0;
};

// A half-open stretch of frames [start, end).
struct Range {
    int32_t start = 0;
    int32_t end = 0;
    int32_t length() const { return end - start; }
};

// Frames of one level measurement.
constexpr int32_t kWindowFrames = 441;
// Samples per window that may exceed the level without raising it: an impulse's worth.
constexpr int32_t kImpulseSamples = 12;
// Peak blocks in a row that are loud for longer than any impulse.
constexpr int32_t kSustainedBlocks = 8;

// The title's peak over the frames [range) from its peak blocks, ignoring blocks loud
// for less than kSustainedBlocks (impulses); a sample value 0..32767.
int32_t sustainedPeak(const int8_t* blocks, int32_t blockCount, Range range);
// The sample value of `db` below `peak`.
int32_t thresholdLevel(int32_t peak, double db);
// The stretches of [range) that the peaks cannot show to be loud and that are long
// enough to hold `minSilenceFrames` of silence; in order.
std::vector<Range> candidates(const int8_t* blocks, int32_t blockCount, Range range,
                              int32_t threshold, int32_t minSilenceFrames);

// The level of `frames` frames (at most kWindowFrames) ignoring kImpulseSamples of the
// loudest: the largest magnitude of either channel that more samples than that reach.
// `scratch` must hold 2 * kWindowFrames values.
int32_t robustLevel(const int16_t* samples, int32_t frames, int32_t* scratch);

// Finds the silences in frames fed in order, a window at a time.
class GapFinder {
public:
    GapFinder(int32_t threshold, int32_t minSilenceFrames);
    // Starts a new stretch at frame `position` (nothing carries over from before).
    void begin(int32_t position);
    // Takes whole windows of frames (a last partial window counts as one).
    void feed(const int16_t* samples, int32_t frames);
    // Ends the stretch; a silence running to its end is kept.
    void end();
    const std::vector<Range>& gaps() const { return gaps_; }

private:
    void closeRun();

    int32_t threshold_;
    int32_t minSilenceFrames_;
    int32_t position_ = 0;
    int32_t runStart_ = -1;
    std::vector<Range> gaps_;
    std::vector<int32_t> scratch_;
};

// The songs of [range) between `gaps` (in order): stretches shorter than `minTitleFrames`
// are left out.
std::vector<Range> songsBetween(const std::vector<Range>& gaps, Range range,
                                int32_t minTitleFrames);

} // namespace AESilenceSplit
