#include "AEProcessingRun.h"

#include "AEAudiofile.h"
#include "AEFileManager.h"
#include "AEProcessedFile.h"
#include "AEProject.h"
#include "AERunProgress.h"
#include "AERunSource.h"

#include "ProcessingPass.h"

#include <algorithm>
#include <cstdio>
#include <utility>
#include <vector>

namespace {

constexpr int32_t kBlock = ProcessingPass::kBlockFrames;
constexpr int32_t kStringDiskFull = 3008;
constexpr int32_t kStringTitle = 3007;

bool writeAll(AEAudiofile& target, std::span<const int16_t> samples) {
    const auto frames = static_cast<int32_t>(samples.size() / 2);
    return frames == 0 || target.writeStereo(samples.data(), frames) == frames;
}

void warmUp(ProcessingPass& pass, AEAudiofile& source, int32_t start, int16_t* block) {
    source.seek(start);
    for (int32_t i = 0; i < ProcessingPass::kWarmUpBlocks; ++i) {
        const int32_t got = source.readStereo(block, kBlock);
        if (got <= 0) {
            break;
        }
        pass.warmUp(block, got);
        if (got < kBlock) {
            break;
        }
    }
}

} // namespace

AERunResult restoreFile(const std::string& sourcePath, AEProcessedFile& output,
                        const ProcessingSettings& settings, std::atomic<int64_t>* batchSteps,
                        AERestoreReport* report) {
    auto pass = ProcessingPass::create(settings);
    if (!pass) {
        return AERunResult::kNoLibrary;
    }
    AEAudiofile source(sourcePath);
    if (const AERunResult opened = openRunSource(source); opened != AERunResult::kDone) {
        return opened;
    }
    if (!AEProcessedFile::fitsOnDisk(settings.length, output.path())) {
        ProjectHost::showString(kStringDiskFull);
        return AERunResult::kNoRoom;
    }
    AEAudiofile target(output.writePath());
    if (!target.create()) {
        return AERunResult::kCannotWrite;
    }
    std::vector<int16_t> block(2 * static_cast<size_t>(kBlock));
    if (pass->needsWarmUp()) {
        warmUp(*pass, source, settings.start, block.data());
    }
    if (!source.seek(settings.start)) {
        return AERunResult::kCannotRead;
    }

    {
        AERunProgress progress(settings.length / kBlock, batchSteps);
        const AERunResult read = forEachBlock(
            source, settings.length, block, progress, [&](int16_t* samples, int32_t count) {
                return writeAll(target, pass->process(samples, count)) ? AERunResult::kDone
                                                                       : AERunResult::kCannotWrite;
            });
        if (read != AERunResult::kDone) {
            return read;
        }
    }
    // Silence through the stages until their delay has brought out the last source frame.
    while (pass->flushPending()) {
        if (!writeAll(target, pass->flush(block.data()))) {
            return AERunResult::kCannotWrite;
        }
    }
    source.close();
    if (!target.close() || pass->written() != settings.length || !output.commit()) {
        return AERunResult::kCannotWrite;
    }
    if (report) {
        *report = {pass->written(),       pass->latency(),     pass->clickReport(),
                   pass->crackleReport(), pass->noiseReport(), pass->mode()};
    }
    return AERunResult::kDone;
}

std::string repairSummary(const AERestoreReport& report, const ProcessingSettings& settings) {
    constexpr int32_t kStringSamples = 3176;
    const std::pair<int32_t, const RepairReport*> stages[] = {
        {3173, &report.clicks}, {3174, &report.crackles}, {3175, &report.noise}};
    std::string line;
    for (int32_t slot = 0; slot < 3; ++slot) {
        if (!settings.runs(slot)) {
            continue;
        }
        const auto& [label, done] = stages[slot];
        line += (line.empty() ? "" : ", ") + ProjectHost::text(label) + ": " +
                std::to_string(done->repairs) + " (" + std::to_string(done->samples) + " " +
                ProjectHost::text(kStringSamples) + ")";
    }
    return line;
}

ProcessingSettings titleSettings(const AETitle& title, int32_t sourceFrames) {
    ProcessingSettings settings;
    settings.mode = RestorationChoice::current();
    for (int32_t slot = 0; slot < ProcessingSettings::kSlots; ++slot) {
        settings.values[slot] = ProcessingSettings::sliderValue(title.processorParam(slot));
        settings.enabled[slot] = title.processorEnabled(slot);
    }
    if (title.stateCode() == AETitleProcessState::kNotProcessed) {
        settings.trimTo(title.fadePoint(0), title.fadePoint(1), title.fadePoint(2),
                        title.fadePoint(3), sourceFrames);
    } else {
        settings.wholeSource(sourceFrames);
    }
    return settings;
}

bool wantsProcessing(const AETitle& title) {
    if (title.stateCode() == AETitleProcessState::kNotProcessed) {
        return true;
    }
    for (int32_t slot = 0; slot < ProcessingSettings::kSlots; ++slot) {
        if (title.processorEnabled(slot)) {
            return true;
        }
    }
    return false;
}

AETitleRunPlan planProcessing(const AEProject& project, int32_t index,
                              const std::string& projectPath) {
    AETitleRunPlan plan;
    plan.index = index;
    const AETitle* title = project.title(index);
    if (!title) {
        plan.refused = AERunResult::kNoSuchTitle;
        return plan;
    }
    if (!wantsProcessing(*title)) {
        plan.refused = AERunResult::kNothingToDo;
        return plan;
    }
    plan.source = title->currentAudioPath();
    if (!project.missingAudio({index}).empty()) {
        plan.refused = AERunResult::kMissingAudio;
        return plan;
    }
    const int32_t frames = AEFileManager::framesOf(plan.source);
    if (frames < 0) {
        plan.refused = AERunResult::kCannotRead;
        return plan;
    }
    plan.settings = titleSettings(*title, frames);
    if (plan.settings.length <= 0) {
        plan.refused = AERunResult::kEmptyTitle;
        return plan;
    }
    plan.blocks = plan.settings.length / kBlock;
    plan.claimOutput(project, *title, projectPath);
    return plan;
}

FRef<AETitleRunOutcome> runProcessing(AETitleRunPlan& plan, std::atomic<int64_t>* batchSteps) {
    auto outcome = FRef<AETitleRunOutcome>::make(AETitleRunOutcome::Kind::kProcessed, plan.index,
                                                 plan.source, plan.refused);
    if (plan.refused != AERunResult::kDone) {
        return outcome;
    }
    AERestoreReport report;
    outcome->result = restoreFile(plan.source, *plan.output, plan.settings, batchSteps, &report);
    if (outcome->result != AERunResult::kDone) {
        return outcome;
    }
    outcome->path = plan.output->path();
    outcome->length = std::max(AEFileManager::framesOf(outcome->path), 0);
    if (const std::string done = repairSummary(report, plan.settings); !done.empty()) {
        char number[16];
        std::snprintf(number, sizeof number, "%02d", plan.index + 1);
        outcome->status = ProjectHost::text(kStringTitle) + " " + number + ": " + done;
    }
    return outcome;
}

AERunResult processTitle(AEProject& project, int32_t index, const std::string& projectPath,
                         std::atomic<int64_t>* batchSteps) {
    AETitleRunPlan plan = planProcessing(project, index, projectPath);
    const FRef<AETitleRunOutcome> outcome = runProcessing(plan, batchSteps);
    if (!outcome->status.empty()) {
        ProjectHost::showStatus(outcome->status);
    }
    outcome->apply(project);
    return outcome->result;
}
