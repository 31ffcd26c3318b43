#pragma once

#include <cstdint>

// The 80-bit IEEE 754 extended-precision number of the AIFF sample rate: big-endian sign
// and 15-bit exponent (bias 16383), then a 64-bit mantissa with an explicit integer bit.
namespace ExtendedFloat {

// Zero exponent and mantissa give 0, the exponent 32767 gives infinity, the sign negates.
double decode(const uint8_t bytes[10]);
// Values too large for the format become infinity, values too small 0.
void encode(double value, uint8_t bytes[10]);

} // namespace ExtendedFloat
