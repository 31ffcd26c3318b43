#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <vector>

// The level of a recording as a listener hears it, one value per hop of 10 ms: rumble
// below kHighPassHz is filtered off first (a turntable's rumble is felt more than heard),
// then each hop's energy is estimated from the median magnitude of its samples, both
// channels together. Clicks, pops and crackle that fill less than half of a hop leave the
// median, and so the level, where the surface noise or the music holds it.
//
// Frames come in interleaved 16-bit stereo, in blocks of any size: the energies depend
// only on the frames, not on how they were cut into blocks. feed() allocates nothing as
// long as the caller has reserved room in `energies` (one value per kHopFrames frames).
// The median is read from histograms of eighth-octave bins (interpolated within its bin),
// which costs a count per sample rather than a selection per hop.
class SilenceLevelMeter {
public:
    static constexpr int32_t kHopFrames = 441;
    static constexpr double kHighPassHz = 60.0;
    // The lowest energy reported: about -120 dBFS, so that digital silence has a level.
    static constexpr float kEnergyFloor = 1.0e-12f;

    SilenceLevelMeter();

    // Appends the energy of every hop completed by these frames to `energies`: the mean
    // square (full scale 1.0) of Gaussian noise of the hop's median magnitude.
    void feed(const int16_t* samples, int32_t frames, std::vector<float>& energies);
    // Appends the energy of a last partial hop, if there is one.
    void finish(std::vector<float>& energies);

private:
    // The state of a second-order Butterworth high-pass (transposed direct form II).
    struct HighPass {
        double z1 = 0.0;
        double z2 = 0.0;
    };

    // Magnitudes by eighth octave, from 2^-24 (about -144 dBFS; anything quieter counts
    // there) up to beyond full scale.
    static constexpr int32_t kBins = 8 * 27;
    // The top bits of a float (exponent and three bits of mantissa) of the lowest bin.
    static constexpr int32_t kLowestBits = (127 - 24) << 3;
    using Histogram = std::array<uint16_t, kBins>;

    static int32_t binOf(float magnitude) {
        const auto top = static_cast<int32_t>(std::bit_cast<uint32_t>(magnitude) >> 20);
        return std::clamp(top - kLowestBits, 0, kBins - 1);
    }
    // The median of the `count` magnitudes counted in `bins`.
    static float median(const Histogram& bins, int32_t count);
    void endHop(std::vector<float>& energies);

    std::array<double, 5> coefficients_{}; // b0, b1, b2, a1, a2
    std::array<HighPass, 2> filters_{};
    Histogram bins_{};      // the left channel's, and at the hop's end both
    Histogram rightBins_{}; // the right channel's
    int32_t filled_ = 0;    // magnitudes counted
};
