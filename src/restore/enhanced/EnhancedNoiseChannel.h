#pragma once

#include "EnhancedFft.h"
#include "EnhancedLsaGain.h"
#include "EnhancedNoiseLookAhead.h"
#include "EnhancedNoiseSettings.h"
#include "EnhancedNoiseTracker.h"
#include "RepairReport.h"

#include <complex>
#include <memory>
#include <vector>

// One channel of the enhanced noise reducer: a short-time spectrum of kFftSize with hop
// kHop, square-root Hann analysis and synthesis windows (their products overlap-add to a
// constant), the tracker's noise estimate and the gain. Live, the gain runs forwards in
// time; in a processing run (`lookAhead`) each frame waits for the noise estimate of 3 s
// later and the gain runs both ways (EnhancedNoiseLookAhead), and frames of digital
// silence (the end of a title flushing through) teach the tracker nothing. Buffers are made
// in the constructor; processHop() allocates nothing.
class EnhancedNoiseChannel {
public:
    using Settings = EnhancedNoiseSettings;
    // Hops that a processing run's frames wait beyond the live form's.
    static constexpr int32_t kLookAheadHops = EnhancedNoiseLookAhead::kDelayFrames;

    explicit EnhancedNoiseChannel(bool lookAhead = false);

    // Takes the next kHop samples and gives kHop samples that are kFftSize − kHop older
    // (and kLookAheadHops hops more with the look-ahead).
    void processHop(const float* in, float* out, const Settings::Strength& strength);

    const RepairReport& report() const { return report_; }
    const EnhancedNoiseTracker& tracker() const { return tracker_; }

private:
    bool silentFrame() const;

    EnhancedFft fft_;
    EnhancedNoiseTracker tracker_;
    EnhancedLsaGain gain_;
    std::unique_ptr<EnhancedNoiseLookAhead> lookAhead_;
    std::vector<float> window_;
    std::vector<float> input_; // the last kInputHops hops, a ring
    std::vector<float> overlap_;
    std::vector<float> power_;
    std::vector<float> gains_;
    int32_t inputHops_ = 0;
    int64_t hops_ = 0;       // hops taken
    int32_t silentHops_ = 0; // hops of digital silence in a row
    RepairReport report_;
};
