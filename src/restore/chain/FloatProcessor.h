#pragma once

#include "AlgorithmKernel.h"
#include "AudioProcessor.h"
#include "ChainContext.h"

#include <memory>

// The wrapper of one float stage (chain slots 0..6) around its algorithm object. On each
// call it makes sure the block is in the chain's work area B (converting it if it is the
// first stage to run), then, unless its off switch (without force-on) or bypass is set,
// runs its kernel from A into B. The peak limiter's wrapper (slot 6) always converts B
// back into the 16-bit frames, also when bypassed.
class FloatProcessor : public AudioProcessor {
public:
    static constexpr int32_t kLimiterSlot = 6;

    // Null when `slot` is not 0..6 or the library cannot make that kind of object.
    static std::unique_ptr<FloatProcessor> create(int32_t slot, float value, bool forceOn,
                                                  ChainContext context);
    // The same around a kernel made elsewhere (the enhanced repair stages); null when
    // `kernel` is null or `slot` is not 0..6.
    static std::unique_ptr<FloatProcessor> create(int32_t slot, float value, bool forceOn,
                                                  ChainContext context,
                                                  std::unique_ptr<AlgorithmKernel> kernel);

    void process(int16_t* frames, int32_t count) override;
    int32_t latency() const override { return kernel_->latency(); }

    int32_t slot() const { return slot_; }
    float value() const { return value_; }
    bool forceOn() const { return params_.forceOn != 0; }
    AlgorithmKernel& kernel() { return *kernel_; }

private:
    FloatProcessor(int32_t slot, float value, bool forceOn, ChainContext context,
                   std::unique_ptr<AlgorithmKernel> kernel);

    float effectiveValue() const;

    int32_t slot_;
    float value_;
    ParameterBlock params_;
    ChainContext context_;
    std::unique_ptr<AlgorithmKernel> kernel_;
};
