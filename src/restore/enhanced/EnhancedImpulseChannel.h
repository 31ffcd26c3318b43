#pragma once

#include "ArModel.h"
#include "EnhancedArModel.h"
#include "EnhancedImpulseSettings.h"
#include "EnhancedLsar.h"
#include "EnhancedRegionFinder.h"
#include "RepairReport.h"

#include <array>
#include <cstdint>
#include <vector>

// One channel of the enhanced impulse remover. It keeps a window of three blocks (the
// previous one, already repaired, the one being repaired and the next one) and repairs
// the middle block in two passes: a low-order model finds and repairs the large
// disturbances, then a high-order model fitted on the repaired window looks again and the
// union is solved once more from the untouched samples. Every repair must pass the
// excitation test of EnhancedLsar. All buffers are made in the constructor.
class EnhancedImpulseChannel {
public:
    using Settings = EnhancedImpulseSettings;

    explicit EnhancedImpulseChannel(const EnhancedImpulseSettings& settings);

    // Takes the next kBlock samples and gives the block before them, repaired (zeros
    // before the first). kHi <= 0 passes the samples through unrepaired.
    void processBlock(const float* in, float* out, float kHi);

    // What this channel repaired since it was made.
    const RepairReport& report() const { return report_; }

private:
    // One detection pass with a model of `order`; false when nothing was found.
    bool detect(int32_t order, float kHi);
    void measureExcitation(int32_t order);
    void count();

    const EnhancedImpulseSettings& settings_;
    EnhancedAutocorrelation autocorrelation_;
    ArModel ar_;
    EnhancedRegionFinder finder_;
    EnhancedLsar lsar_;
    std::vector<float> window_;
    std::vector<float> original_;
    std::vector<float> error_;
    std::vector<float> matched_;
    std::vector<float> sigma_;
    std::vector<uint32_t> keys_; // scratch of the medians
    std::vector<uint8_t> mask_;
    std::vector<uint8_t> accepted_;
    std::array<double, Settings::kMaxOrder + 1> r_{};
    std::array<double, Settings::kMaxOrder + 1> model_{};
    std::array<float, Settings::kMaxOrder + 1> modelFloat_{};
    std::array<float, Settings::kWindow / Settings::kQuarter> excitation_{};
    RepairReport report_;
    int32_t detectFrom_ = 0; // where the detection statistic is computed
    int32_t detectTo_ = 0;
    int32_t activeFrom_ = 0; // where unknowns can lie
    int32_t activeTo_ = 0;
    int32_t errorFrom_ = 0; // where error_ holds the prediction error of this pass
    int32_t errorTo_ = 0;
};
