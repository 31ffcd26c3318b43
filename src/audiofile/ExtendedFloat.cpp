#include "ExtendedFloat.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace {

constexpr int kBias = 16383;
constexpr int kMaxExponent = 0x7FFF;

} // namespace

namespace ExtendedFloat {

double decode(const uint8_t bytes[10]) {
    bool negative = (bytes[0] & 0x80) != 0;
    int exponent = ((bytes[0] & 0x7F) << 8) | bytes[1];
    uint64_t mantissa = 0;
    for (int i = 2; i < 10; ++i) {
        mantissa = (mantissa << 8) | bytes[i];
    }
    double value;
    if (exponent == 0 && mantissa == 0) {
        value = 0.0;
    } else if (exponent == kMaxExponent) {
        value = std::numeric_limits<double>::infinity();
    } else {
        value = std::ldexp(static_cast<double>(mantissa), exponent - kBias - 63);
    }
    return negative ? -value : value;
}

void encode(double value, uint8_t bytes[10]) {
    std::memset(bytes, 0, 10);
    if (std::isnan(value)) {
        value = 0.0;
    }
    uint16_t sign = std::signbit(value) ? 0x8000 : 0;
    value = std::fabs(value);
    int exponent = 0;
    uint64_t mantissa = 0;
    if (std::isinf(value)) {
        exponent = kMaxExponent;
    } else if (value > 0.0) {
        int e = 0;
        double fraction = std::frexp(value, &e); // value = fraction * 2^e, 0.5 <= fraction < 1
        exponent = e - 1 + kBias;
        if (exponent >= kMaxExponent) {
            exponent = kMaxExponent;
        } else if (exponent <= 0) {
            exponent = 0; // below the normal range: stored as zero
        } else {
            mantissa = static_cast<uint64_t>(std::ldexp(fraction, 64));
        }
    }
    uint16_t head = static_cast<uint16_t>(sign | exponent);
    bytes[0] = static_cast<uint8_t>(head >> 8);
    bytes[1] = static_cast<uint8_t>(head & 0xFF);
    for (int i = 9; i >= 2; --i) {
        bytes[i] = static_cast<uint8_t>(mantissa & 0xFF);
        mantissa >>= 8;
    }
}

} // namespace ExtendedFloat
