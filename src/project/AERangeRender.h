#pragma once

#include "AERunProgress.h"
#include "AERunResult.h"
#include "AETitleRange.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class LoudnessMeter;
struct LoudnessTarget;

// Where a rendered title range goes: a title file, an exported file. finish() completes it.
class AERenderSink {
public:
    virtual ~AERenderSink() = default;
    virtual bool write(const int16_t* frames, int32_t count) = 0;
    // Full scale 1.0.
    virtual bool write(const float* frames, int32_t count) = 0;
    virtual bool finish() = 0;
};

// A title's range as playback plays it (AETitleRangeReader), measured, or rendered into a
// sink: as it is, or raised or lowered by a gain with its peaks limited under a ceiling
// (LoudnessLimiter), with what is written measured on the way. Blocks of kStepFrames, one
// progress step each; a cancel stops before the next block. Any thread.
namespace AERangeRender {

constexpr int32_t kStepFrames = 16384;

// The progress steps of one pass over `range`.
int64_t steps(const AETitleRange& range);

// Measures the loudness of the range into `meter`.
AERunResult measure(const AETitleRange& range, LoudnessMeter& meter, AERunProgress& progress);

struct Gain {
    bool apply = false;
    double gainDb = 0.0;
    double ceilingDb = 0.0;
};
// Writes the range into `sink` (finished when all went well), measuring what it writes.
AERunResult render(const AETitleRange& range, const Gain& gain, AERenderSink& sink,
                   LoudnessMeter& written, AERunProgress& progress);

// Opens a new sink for another try (null: it cannot be made).
using SinkMaker = std::function<std::unique_ptr<AERenderSink>()>;
// Measures the finished file anew into the meter (a lossy file as it decodes, which is
// what its listeners hear); false when it cannot be read.
using Remeasure = std::function<bool(LoudnessMeter&)>;
// Renders the range with `gainDb`, limited to stay under the true-peak ceiling, and
// renders it again (four times at most) when what was written misses it: with more room
// under the ceiling when a true peak rose near it, and, given a `target`, with the gain
// corrected when the limiter (or a lossy coder) took the loudness more than 0.1 LU off it.
// What was written is measured as it is written, or by `remeasure` when given. `written`
// holds the measurement of the last try.
AERunResult renderToTarget(const AETitleRange& range, double gainDb, std::optional<double> target,
                           const SinkMaker& open, const Remeasure& remeasure,
                           LoudnessMeter& written, AERunProgress& progress);

// The gains that bring `ranges` to `target`, from `measured` (the ranges as they are):
// LoudnessTarget::gains, and in album mode the one gain corrected so that, limited as
// renderToTarget limits them, together they come to the target: when it lifts a peak into
// the limiter, the ranges are rendered with it as renderToTarget will write them (nothing
// written here) and measured, and the gain corrected, four times at most.
AERunResult targetGains(const LoudnessTarget& target,
                        const std::vector<const AETitleRange*>& ranges,
                        const std::vector<const LoudnessMeter*>& measured, AERunProgress& progress,
                        std::vector<double>& gains);

} // namespace AERangeRender
