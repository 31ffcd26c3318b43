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
constexpr int32_t kAlbumTries = 4;
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

// Takes what is rendered and keeps nothing: for measuring alone.
class NullSink : public AERenderSink {
public:
    bool write(const int16_t*, int32_t) override { return true; }
    bool write(const float*, int32_t) override { return true; }
    bool finish() override { return true; }
};

// Steps a gain toward a loudness target. Under heavy limiting the loudness follows the gain
// by less than a dB per dB: from the second try on, the step allows for what the last one
// did.
class GainSearch {
public:
    double next(double gainDb, double loudness, double target) {
        double slope = 1.0;
        if (previous_ && previous_->first != gainDb) {
            slope =
                std::clamp((loudness - previous_->second) / (gainDb - previous_->first), 0.2, 1.0);
        }
        previous_ = std::pair(gainDb, loudness);
        return gainDb + (target - loudness) / slope;
    }

private:
    std::optional<std::pair<double, double>> previous_;
};

double limiterCeilingDb() {
    return LoudnessTarget::kTruePeakCeilingDb - LoudnessTarget::kLimiterMarginDb;
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
    double ceiling = limiterCeilingDb();
    GainSearch search;
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
            gainDb = search.next(gainDb, *loudness, *target);
        }
    }
}

AERunResult targetGains(const LoudnessTarget& target,
                        const std::vector<const AETitleRange*>& ranges,
                        const std::vector<const LoudnessMeter*>& measured, AERunProgress& progress,
                        std::vector<double>& gains) {
    gains = target.gains(measured);
    if (!target.album || gains.empty()) {
        return AERunResult::kDone;
    }
    double gainDb = gains.front();
    const bool limited = std::any_of(measured.begin(), measured.end(), [&](const auto* meter) {
        return meter->truePeakDb() + gainDb > limiterCeilingDb();
    });
    GainSearch search;
    for (int32_t attempt = 0; limited && attempt < kAlbumTries; ++attempt) {
        std::vector<LoudnessMeter> meters(ranges.size());
        std::vector<const LoudnessMeter*> all;
        for (size_t i = 0; i < ranges.size(); ++i) {
            // As each title will be written, with the same tries under the ceiling.
            const AERunResult result = renderToTarget(
                *ranges[i], gainDb, std::nullopt, [] { return std::make_unique<NullSink>(); }, {},
                meters[i], progress);
            if (result != AERunResult::kDone) {
                return result;
            }
            all.push_back(&meters[i]);
        }
        const std::optional<double> loudness = LoudnessMeter::integrated(all);
        if (!loudness || std::fabs(target.lufs - *loudness) <= kLoudnessTolerance) {
            break;
        }
        gainDb = search.next(gainDb, *loudness, target.lufs);
    }
    gains.assign(gains.size(), gainDb);
    return AERunResult::kDone;
}

} // namespace AERangeRender
