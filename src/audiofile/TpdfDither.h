#pragma once

#include <cstdint>

// Brings float samples (full scale ±1.0 = ±32768) to 16 bits. With dither on, triangular
// (TPDF) noise of ±1 LSB peak is added before rounding, so the rounding error is
// independent of the signal (no distortion of quiet passages, only a flat noise floor at
// about -101 dBFS). Without it each sample is rounded to the nearest step, which is exact
// for samples that came from 16 bits. Either way the result saturates at the 16-bit
// limits. The noise comes from a fixed-seed generator, so a conversion is reproducible.
// Allocates nothing.
class TpdfDither {
public:
    explicit TpdfDither(bool on, uint32_t seed = 0x9E3779B9u) : on_(on), state_(seed | 1u) {}

    bool on() const { return on_; }
    void quantize(const float* input, int16_t* output, int64_t count);

private:
    // Uniform in [0, 1).
    float uniform();

    bool on_;
    uint32_t state_;
};
