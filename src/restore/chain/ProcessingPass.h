#pragma once

#include "FadeEnvelope.h"
#include "ProcessingSettings.h"
#include "ProcessorChain.h"
#include "RepairReport.h"

#include <array>
#include <cstdint>
#include <memory>
#include <span>

class FloatProcessor;

// The restoration of one title, block by block, apart from any file: a private set of
// processors (made with force-on, reading a switch set of their own with mono and bypass
// off, so buttons pressed meanwhile change nothing), the compensation of their latency
// and the title's fades.
//
// The caller feeds the source in blocks of at most kBlockFrames, then calls flush() while
// flushPending(); the frames handed back for writing are then exactly the `length` source
// frames, restored and aligned to the frame with the source. Stage order: click, crackle,
// noise, bass, width, brilliance, and the peak limiter when bass, width or brilliance
// runs; the block always passes through float once, also when no stage runs.
// Allocates only in create().
class ProcessingPass {
public:
    static constexpr int32_t kBlockFrames = 4096;
    // Blocks that train the noise reducer's estimate before the real pass.
    static constexpr int32_t kWarmUpBlocks = 30;
    static constexpr int32_t kNoiseSlot = 2;
    static constexpr int32_t kLimiterSlot = ProcessorChain::kLimiterSlot;

    // Null when a stage the settings ask for cannot be made (the library is not started).
    static std::unique_ptr<ProcessingPass> create(const ProcessingSettings& settings);
    ~ProcessingPass();
    ProcessingPass(const ProcessingPass&) = delete;
    ProcessingPass& operator=(const ProcessingPass&) = delete;

    // Whether the stage of slot 0..5, or the limiter (slot 6), runs.
    bool runs(int32_t slot) const;
    // Frames of delay of all stages that run: what is skipped at the start and flushed at
    // the end.
    int32_t latency() const { return latency_; }
    // The classic noise reducer wants kWarmUpBlocks of the source before the real pass (the
    // enhanced one looks ahead instead).
    bool needsWarmUp() const {
        return runs(kNoiseSlot) && settings_.mode == RestorationMode::kClassic;
    }

    // One warm-up block through the click remover, crackle remover and noise reducer
    // (those that run); `frames` is left overwritten and nothing is to be written. What the
    // stages repair here is not reported.
    void warmUp(int16_t* frames, int32_t count);
    // Restores the next `count` source frames in place and returns the part of them to
    // write (nothing while the latency is being skipped).
    std::span<const int16_t> process(int16_t* frames, int32_t count);
    // After the source: whether more blocks of silence must go through.
    bool flushPending() const { return flushLeft_ > 0; }
    // Fills `frames` (room for kBlockFrames) with the next block of silence, restores it
    // and returns the part to write.
    std::span<const int16_t> flush(int16_t* frames);
    // Frames handed back for writing so far.
    int64_t written() const { return written_; }

    // What the click and crackle removers and the noise reducer repaired so far in the
    // real pass (zero for a stage that does not run).
    RepairReport report(int32_t slot) const;
    RepairReport clickReport() const { return report(0); }
    RepairReport crackleReport() const { return report(1); }
    RepairReport noiseReport() const { return report(kNoiseSlot); }
    RestorationMode mode() const { return settings_.mode; }

private:
    explicit ProcessingPass(const ProcessingSettings& settings);
    bool makeStages();
    void restore(int16_t* frames, int32_t count);
    void endWarmUp();
    RepairReport total(int32_t slot) const;

    ProcessingSettings settings_;
    std::shared_ptr<ProcessorSwitches> switches_;
    ProcessorChain chain_;
    FadeEnvelope fade_;
    std::array<bool, kLimiterSlot + 1> runs_{};
    static constexpr int32_t kRepairSlots = kNoiseSlot + 1;
    std::array<FloatProcessor*, kRepairSlots> repair_{};
    std::array<RepairReport, kRepairSlots> warmUpReports_{};
    bool warmedUp_ = false;
    bool anyStage_ = false;
    int32_t latency_ = 0;
    int32_t skipLeft_ = 0;
    int32_t flushLeft_ = 0;
    int64_t written_ = 0;
};
