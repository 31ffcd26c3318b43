#include "AENormalizingRun.h"

#include "AEAudiofile.h"
#include "AEFileManager.h"
#include "AEProcessedFile.h"
#include "AEProject.h"
#include "AERunProgress.h"
#include "AERunSource.h"

#include "LevelNormalizer.h"
#include "NormalizerProcessor.h"

#include <algorithm>
#include <vector>

namespace {

constexpr int32_t kBlock = 4096;
constexpr int32_t kStringDiskFull = 3008;

// One pass over the whole source from its start, writing each block to `write` (null in
// the analysing pass).
AERunResult pass(AEAudiofile& source, NormalizerProcessor& normalizer, AEAudiofile* write,
                 AERunProgress& progress, std::vector<int16_t>& block) {
    if (!source.seek(0)) {
        return AERunResult::kCannotRead;
    }
    return forEachBlock(
        source, source.getLength(), block, progress, [&](int16_t* samples, int32_t count) {
            normalizer.process(samples, count);
            const bool written = !write || write->writeStereo(samples, count) == count;
            return written ? AERunResult::kDone : AERunResult::kCannotWrite;
        });
}

} // namespace

AERunResult normalizeFile(const std::string& sourcePath, AEProcessedFile& output,
                          std::atomic<int64_t>* batchSteps, float* gain) {
    auto normalizer = NormalizerProcessor::create(0.0f);
    if (!normalizer) {
        return AERunResult::kNoLibrary;
    }
    AEAudiofile source(sourcePath);
    if (const AERunResult opened = openRunSource(source); opened != AERunResult::kDone) {
        return opened;
    }
    const int64_t blocks = (int64_t{source.getLength()} + kBlock - 1) / kBlock;
    AERunProgress progress(std::max<int64_t>(2 * blocks - 1, 0), batchSteps);
    std::vector<int16_t> block(2 * static_cast<size_t>(kBlock));
    if (const AERunResult analysed = pass(source, *normalizer, nullptr, progress, block);
        analysed != AERunResult::kDone) {
        return analysed;
    }

    if (!AEProcessedFile::fitsOnDisk(source.getLength(), output.path())) {
        ProjectHost::showString(kStringDiskFull);
        return AERunResult::kNoRoom;
    }
    AEAudiofile target(output.writePath());
    if (!target.create()) {
        return AERunResult::kCannotWrite;
    }
    normalizer->setValue(LevelNormalizer::kApplyValue);
    if (const AERunResult applied = pass(source, *normalizer, &target, progress, block);
        applied != AERunResult::kDone) {
        return applied;
    }
    source.close();
    if (!target.close() || !output.commit()) {
        return AERunResult::kCannotWrite;
    }
    if (gain) {
        *gain = normalizer->gain();
    }
    return AERunResult::kDone;
}

AETitleRunPlan planNormalizing(const AEProject& project, int32_t index,
                               const std::string& projectPath) {
    AETitleRunPlan plan = AETitleRunPlan::of(project, index);
    if (plan.refused == AERunResult::kDone) {
        plan.claimOutput(project, *project.title(index), projectPath);
    }
    return plan;
}

FRef<AETitleRunOutcome> runNormalizing(AETitleRunPlan& plan, std::atomic<int64_t>* batchSteps) {
    auto outcome = FRef<AETitleRunOutcome>::make(AETitleRunOutcome::Kind::kNormalized, plan.index,
                                                 plan.source, plan.refused);
    if (plan.refused != AERunResult::kDone) {
        return outcome;
    }
    outcome->result = normalizeFile(plan.source, *plan.output, batchSteps);
    if (outcome->result == AERunResult::kDone) {
        outcome->path = plan.output->path();
        outcome->length = std::max(AEFileManager::framesOf(outcome->path), 0);
    }
    return outcome;
}

AERunResult normalizeTitle(AEProject& project, int32_t index, const std::string& projectPath,
                           std::atomic<int64_t>* batchSteps) {
    AETitleRunPlan plan = planNormalizing(project, index, projectPath);
    const FRef<AETitleRunOutcome> outcome = runNormalizing(plan, batchSteps);
    outcome->apply(project);
    return outcome->result;
}
