#pragma once

#include "RepairReport.h"

#include <cstdint>

// How a noise stage reports what it did: the samples it changed by more than half a
// 16-bit step (smaller changes do not survive the conversion back), and as repairs the
// stretches (its hops) it lowered by 1 dB or more. `in` and `out` are aligned: out[n] is
// what became of in[n].
void countNoiseChanges(const float* in, const float* out, int32_t count, RepairReport& report);
