#pragma once

#include <cstdint>
#include <vector>

// A made-up recording of a worn record, for demonstrations: a slow chord progression
// with a soft attack on each chord, under hiss, clicks and crackle. 44 100 Hz, 16 bits,
// two channels, interleaved. The same options give the same frames.
struct WornRecordOptions {
    int32_t frames = 441000;
    uint32_t seed = 1;
    double clicksPerSecond = 3.0;    // loud, on both channels, 2 to 6 samples long
    double cracklesPerSecond = 60.0; // faint, one or two samples, on one channel
    double hissRms = 0.01;           // white noise, about −40 dBFS
    double musicPeak = 0.5;          // 0: the damage alone
    double rumbleRms = 0.0;          // the turntable's 15 to 30 Hz, mostly in antiphase
};

// Where the damage went: each click's first frame, in order, and the number of crackles.
struct WornRecordDamage {
    std::vector<int32_t> clickFrames;
    int32_t crackles = 0;
};

// No click lies nearer than this to another or to either end of the recording.
constexpr int32_t kWornRecordClickSpacing = 2048;

// Fills `samples` (resized to 2 × frames) and says where the damage is.
WornRecordDamage makeWornRecord(const WornRecordOptions& options, std::vector<int16_t>& samples);
