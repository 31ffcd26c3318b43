#pragma once

#include "AudioProcessor.h"
#include "LevelNormalizer.h"

#include <memory>
#include <vector>

// The normalizer's wrapper: always two channels, no off switch, no bypass; it converts
// the 16-bit frames to float and back itself. With value 1.0 it applies the gain found so
// far (frames rewritten); with any other value it analyses and leaves the frames as they
// are.
class NormalizerProcessor : public AudioProcessor {
public:
    // Null when the library cannot make the normalizer (not initialised).
    static std::unique_ptr<NormalizerProcessor> create(float value = 0.0f);

    // The value used by the next process() call.
    void setValue(float value) { value_ = value; }
    float value() const { return value_; }
    void process(int16_t* frames, int32_t count) override;

    // The common gain of both channels after analysing.
    float gain() const { return normalizer_->gain(0); }

private:
    static constexpr int32_t kPiece = 4096; // even, so the ±1e-7 offset keeps alternating

    NormalizerProcessor(float value, std::unique_ptr<LevelNormalizer> normalizer);

    float value_;
    std::unique_ptr<LevelNormalizer> normalizer_;
    std::vector<float> input_[2];
    std::vector<float> output_[2];
};
