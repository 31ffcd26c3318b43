#include "AERangeRender.h"

#include "AETitleRangeReader.h"

#include "LoudnessLimiter.h"
#include "LoudnessMeter.h"
#include "LoudnessTarget.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace {

constexpr int32_t kTries = 5;
constexpr double kLoudnessTolerance = 0.1;
// Meters that oversample differently (libebur128 4×, others to 192 kHz) can read the true
// peak of a click some tenths of a dB apart: what is written keeps this much below the
// ceiling by our meter.
constexpr double kPeakAllowanceDb = 0.4;

// Reads the range block by block and hands each block to `each(samples, count)`.
template <class Each>
AERunResult forEachRangeBlock(const AETitleRange& range, AERunProgress& progress, Each&& each) {
    AETitleRangeReader reader(range);
    if (!reader.open()) {
        return AERunResult::kCannotRead;
    }
    std::vector<int16_t> block(static_cast<size_t>(AERangeRender::kStepFrames) * 2);
    while (reader.left() > 0) {
        if (AERunProgress::cancelled()) {
            return AERunResult::kCancelled;
        }
        const int32_t got = reader.read(block.data(), AERangeRender::kStepFrames);
        if (got <= 0) {
            return AERunResult::kCannotRead;
        }
        if (const AERunResult result = each(block.data(), got); result != AERunResult::kDone) {
            return result;
        }
        progress.advance();
    }
    return AERunResult::kDone;
}

} // namespace

namespace AERangeRender {

int64_t steps(const AETitleRange& range) {
    return (int64_t{range.frames} + kStepFrames - 1) / kStepFrames;
}

AERunResult measure(const AETitleRange& range, LoudnessMeter& meter, AERunProgress& progress) {
    return forEachRangeBlock(range, progress, [&](const int16_t* samples, int32_t count) {
        meter.add(samples, count);
        return AERunResult::kDone;
    });
}

AERunResult render(const AETitleRange& range, const Gain& gain, AERenderSink& sink,
                   LoudnessMeter& written, AERunProgress& progress) {
    AERunResult result = AERunResult::kDone;
    if (!gain.apply) {
        result = forEachRangeBlock(range, progress, [&](const int16_t* samples, int32_t count) {
            written.add(samples, count);
            return sink.write(samples, count) ? AERunResult::kDone : AERunResult::kCannotWrite;
        });
        return result == AERunResult::kDone && !sink.finish() ? AERunResult::kCannotWrite : result;
    }
    LoudnessLimiter limiter(gain.gainDb, gain.ceilingDb);
    std::vector<float> in(static_cast<size_t>(kStepFrames) * 2);
    std::vector<float> out(in.size() + LoudnessLimiter::kHeld * 2);
    auto put = [&](int32_t frames) {
        written.add(out.data(), frames);
        return sink.write(out.data(), frames) ? AERunResult::kDone : AERunResult::kCannotWrite;
    };
    result = forEachRangeBlock(range, progress, [&](const int16_t* samples, int32_t count) {
        for (int32_t i = 0; i < 2 * count; ++i) {
            in[static_cast<size_t>(i)] = samples[i] / 32768.0f;
        }
        return put(limiter.process(in.data(), count, out.data()));
    });
    if (result == AERunResult::kDone) {
        result = put(limiter.flush(out.data()));
    }
    return result == AERunResult::kDone && !sink.finish() ? AERunResult::kCannotWrite : result;
}

AERunResult renderToTarget(const AETitleRange& range, double gainDb, std::optional<double> target,
                           const SinkMaker& open, const Remeasure& remeasure,
                           LoudnessMeter& written, AERunProgress& progress) {
    double ceiling = LoudnessTarget::kTruePeakCeilingDb - LoudnessTarget::kLimiterMarginDb;
    // The last try's gain and loudness: under heavy limiting the loudness follows the gain
    // by less than a dB per dB, and the next step allows for that.
    std::optional<std::pair<double, double>> previous;
    for (int32_t attempt = 0;; ++attempt) {
        const std::unique_ptr<AERenderSink> sink = open();
        if (!sink) {
            return AERunResult::kCannotWrite;
        }
        written = LoudnessMeter();
        const Gain gain{true, gainDb, ceiling};
        if (const AERunResult result = render(range, gain, *sink, written, progress);
            result != AERunResult::kDone) {
            return result;
        }
        if (remeasure && !remeasure(written)) {
            return AERunResult::kCannotWrite;
        }
        const double over =
            written.truePeakDb() - (LoudnessTarget::kTruePeakCeilingDb - kPeakAllowanceDb);
        const std::optional<double> loudness = written.integrated();
        const double miss = target && loudness ? *target - *loudness : 0.0;
        if (attempt + 1 == kTries || (over <= 0.0 && std::fabs(miss) <= kLoudnessTolerance)) {
            return AERunResult::kDone;
        }
        if (over > 0.0) {
            ceiling -= over + 0.1;
        }
        if (loudness && miss != 0.0) {
            double slope = 1.0;
            if (previous && previous->first != gainDb) {
                slope = std::clamp((*loudness - previous->second) / (gainDb - previous->first), 0.2,
                                   1.0);
            }
            previous = std::pair(gainDb, *loudness);
            gainDb += miss / slope;
        }
    }
}

} // namespace AERangeRender
