#pragma once

#include <cstdint>
#include <vector>

// The click detector's residual: a block through an order-p prediction-error filter, then
// through the same coefficients in reverse order. The two passes together form a
// symmetric (matched) error filter centred p samples back, so output n speaks of input
// n − p. Both filters keep their memories from block to block.
//
// Buffers are made in the constructor for blocks of up to `maxBlock` samples; run()
// allocates nothing.
class MatchedErrorFilter {
public:
    MatchedErrorFilter(int32_t order, int32_t maxBlock);

    int32_t order() const { return order_; }

    // power[n] = (filtered x[n])² for n < count ≤ maxBlock, with a = a1 .. ap of the
    // error filter e[n] = x[n] + a1·x[n−1] + … + ap·x[n−p].
    void run(const double* a, const float* x, int32_t count, float* power);
    // Clears both memories (a block without a model).
    void clear();

private:
    int32_t order_;
    int32_t maxBlock_;
    // The second pass's taps by delay 1 .. p.
    std::vector<double> reversed_;
    // `order_` remembered samples, then the block: input and first-pass output.
    std::vector<double> input_;
    std::vector<double> error_;
    std::vector<double> output_;
};
