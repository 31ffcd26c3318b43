#include "AELoudnessRun.h"

#include "AEAudiofile.h"
#include "AEFileManager.h"
#include "AEProcessedFile.h"
#include "AEProject.h"
#include "AERangeRender.h"

#include "LoudnessMeter.h"
#include "TpdfDither.h"

#include <algorithm>
#include <vector>

namespace {

constexpr int32_t kStringDiskFull = 3008;

// A title file (the program's own WAVE format) written from the rendered range; floats
// are dithered to 16 bits.
class TitleFileSink : public AERenderSink {
public:
    explicit TitleFileSink(const std::string& path)
        : file_(path), shorts_(static_cast<size_t>(AERangeRender::kStepFrames) * 2) {}

    bool create() { return file_.create(); }
    bool write(const int16_t* frames, int32_t count) override {
        return file_.writeStereo(frames, count) == count;
    }
    bool write(const float* frames, int32_t count) override {
        const auto piece = static_cast<int32_t>(shorts_.size() / 2);
        for (int32_t done = 0; done < count;) {
            const int32_t n = std::min(piece, count - done);
            dither_.quantize(frames + 2 * static_cast<size_t>(done), shorts_.data(), 2 * n);
            if (!write(shorts_.data(), n)) {
                return false;
            }
            done += n;
        }
        return true;
    }
    bool finish() override { return file_.close(); }

private:
    AEAudiofile file_;
    TpdfDither dither_{true};
    std::vector<int16_t> shorts_;
};

// Writes title `plan`'s new file with `gainDb`; the outcome carries its loudness.
AERunResult writeTitle(AETitleRunPlan& plan, double gainDb, std::optional<double> target,
                       AERunProgress& progress, AETitleRunOutcome& outcome) {
    if (!AEProcessedFile::fitsOnDisk(plan.range.frames, plan.output->path())) {
        ProjectHost::showString(kStringDiskFull);
        return AERunResult::kNoRoom;
    }
    LoudnessMeter written;
    const AERunResult result = AERangeRender::renderToTarget(
        plan.range, gainDb, target,
        [&plan]() -> std::unique_ptr<AERenderSink> {
            auto sink = std::make_unique<TitleFileSink>(plan.output->writePath());
            return sink->create() ? std::move(sink) : nullptr;
        },
        {}, written, progress);
    if (result != AERunResult::kDone) {
        return result;
    }
    if (!plan.output->commit()) {
        return AERunResult::kCannotWrite;
    }
    outcome.path = plan.output->path();
    outcome.length = std::max(AEFileManager::framesOf(outcome.path), 0);
    outcome.loudness = written.integrated();
    return AERunResult::kDone;
}

} // namespace

AETitleRunPlan planLoudness(const AEProject& project, int32_t index, const std::string& projectPath,
                            bool write) {
    AETitleRunPlan plan = AETitleRunPlan::of(project, index);
    const AETitle* title = project.title(index);
    if (plan.refused != AERunResult::kDone) {
        return plan;
    }
    if (!AETitleRange::of(*title, plan.range)) {
        plan.refused = AERunResult::kCannotRead;
    } else if (plan.range.frames <= 0) {
        plan.refused = AERunResult::kEmptyTitle;
    } else if (write) {
        plan.claimOutput(project, *title, projectPath);
    }
    return plan;
}

void runLoudness(AETitleBatch& batch, AETitleRunsSummary& summary,
                 const AETitleOutcomeDelivery& done) {
    const bool write = batch.kind == AETitleRunKind::kLoudness;
    std::vector<AETitleRunPlan>& plans = batch.plans;
    int64_t steps = 0;
    for (const AETitleRunPlan& plan : plans) {
        steps += plan.refused == AERunResult::kDone ? AERangeRender::steps(plan.range) : 0;
    }
    AERunProgress progress(write ? 2 * steps : steps, nullptr);

    // All titles are measured before any gain is known: album mode needs them all.
    std::vector<LoudnessMeter> meters(plans.size());
    std::vector<const LoudnessMeter*> measured;
    std::vector<const AETitleRange*> ranges;
    std::vector<size_t> order;
    for (size_t i = 0; i < plans.size(); ++i) {
        summary.results[i] = plans[i].refused;
        if (plans[i].refused != AERunResult::kDone) {
            continue;
        }
        summary.results[i] = AERangeRender::measure(plans[i].range, meters[i], progress);
        if (summary.results[i] == AERunResult::kCancelled) {
            return;
        }
        if (summary.results[i] == AERunResult::kDone) {
            measured.push_back(&meters[i]);
            ranges.push_back(&plans[i].range);
            order.push_back(i);
            summary.results[i] = AERunResult::kCancelled; // until it is done
        }
    }
    std::vector<double> gains;
    if (write && AERangeRender::targetGains(batch.loudness, ranges, measured, progress, gains) ==
                     AERunResult::kCancelled) {
        return;
    }
    const std::optional<double> target =
        batch.loudness.album ? std::nullopt : std::optional<double>(batch.loudness.lufs);

    for (size_t k = 0; k < order.size() && !AERunProgress::cancelled(); ++k) {
        AETitleRunPlan& plan = plans[order[k]];
        AERunResult& result = summary.results[order[k]];
        const std::optional<double> loudness = meters[order[k]].integrated();
        auto outcome = FRef<AETitleRunOutcome>::make(write ? AETitleRunOutcome::Kind::kLoudness
                                                           : AETitleRunOutcome::Kind::kMeasured,
                                                     plan.index, plan.source, AERunResult::kDone);
        if (!loudness) {
            result = AERunResult::kNothingToDo;
            continue;
        }
        if (write) {
            result = writeTitle(plan, gains[k], target, progress, *outcome);
        } else {
            outcome->loudness = loudness;
            result = AERunResult::kDone;
        }
        outcome->result = result;
        if (result == AERunResult::kDone) {
            done(outcome);
        } else if (result == AERunResult::kNoRoom) {
            break;
        }
    }
}
