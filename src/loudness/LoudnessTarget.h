#pragma once

#include <cstdint>
#include <optional>
#include <vector>

class LoudnessMeter;

// What loudness normalizing aims at: an integrated loudness for each title, or (album
// mode) for all the titles as one programme with one gain for all of them, so their
// levels relative to each other stay as recorded; either way no true peak above the
// ceiling of −1 dBTP.
struct LoudnessTarget {
    // The targets the window offers: streaming services, quieter players, broadcast.
    static constexpr double kChoices[] = {-14.0, -16.0, -18.0, -23.0};
    static constexpr double kDefault = -16.0;
    // The range the command line takes.
    static constexpr double kLowest = -40.0;
    static constexpr double kHighest = -6.0;
    static constexpr double kTruePeakCeilingDb = -1.0;
    // How far under the ceiling the limiter aims, so that true peaks between samples and
    // the small overshoot of lossy coding stay under it.
    static constexpr double kLimiterMarginDb = 0.8;

    double lufs = kDefault;
    bool album = false;

    // The gain in dB for each measured title: target minus its loudness (album mode: minus
    // the loudness of all of them together). A title that cannot be measured (silence)
    // keeps 0 dB.
    std::vector<double> gains(const std::vector<const LoudnessMeter*>& titles) const;
};

// ReplayGain 2.0 values of a measured programme: the gain that brings it to −18 LUFS and
// its peak (true peak, full scale 1.0).
struct ReplayGainValues {
    static constexpr double kReferenceLufs = -18.0;
    double gainDb = 0.0;
    double peak = 0.0;

    static ReplayGainValues of(std::optional<double> loudness, double truePeakDb);
};
