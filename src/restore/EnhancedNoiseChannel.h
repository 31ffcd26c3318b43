#pragma once

#include "EnhancedFft.h"
#include "EnhancedLsaGain.h"
#include "EnhancedNoiseSettings.h"
#include "EnhancedNoiseTracker.h"
#include "RepairReport.h"

#include <complex>
#include <vector>

// One channel of the enhanced noise reducer: a short-time spectrum of kFftSize with hop
// kHop, square-root Hann analysis and synthesis windows (their products overlap-add to a
// constant), the tracker's noise estimate and the gain. Buffers are made in the
// constructor; processHop() allocates nothing.
class EnhancedNoiseChannel {
public:
    using Settings = EnhancedNoiseSettings;

    EnhancedNoiseChannel();

    // Takes the next kHop samples and gives kHop samples that are kFftSize − kHop older.
    void processHop(const float* in, float* out, float floor);
    // Forgets the signal (as at the start) but keeps what the estimate has learnt.
    void restart();

    const RepairReport& report() const { return report_; }
    const EnhancedNoiseTracker& tracker() const { return tracker_; }

private:
    EnhancedFft fft_;
    EnhancedNoiseTracker tracker_;
    EnhancedLsaGain gain_;
    std::vector<float> window_;
    std::vector<float> input_;
    std::vector<float> overlap_;
    std::vector<float> power_;
    std::vector<float> gains_;
    int32_t hop_ = 0; // ring slot of the next input hop
    RepairReport report_;
};
