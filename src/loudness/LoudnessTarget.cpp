#include "LoudnessTarget.h"

#include "LoudnessMeter.h"

#include <cmath>

std::vector<double> LoudnessTarget::gains(const std::vector<const LoudnessMeter*>& titles) const {
    std::vector<double> out(titles.size(), 0.0);
    const std::optional<double> whole = album ? LoudnessMeter::integrated(titles) : std::nullopt;
    for (size_t i = 0; i < titles.size(); ++i) {
        const std::optional<double> loudness = album ? whole : titles[i]->integrated();
        if (loudness) {
            out[i] = lufs - *loudness;
        }
    }
    return out;
}

ReplayGainValues ReplayGainValues::of(std::optional<double> loudness, double truePeakDb) {
    ReplayGainValues values;
    values.gainDb = loudness ? kReferenceLufs - *loudness : 0.0;
    values.peak = std::isfinite(truePeakDb) ? std::pow(10.0, truePeakDb / 20.0) : 0.0;
    return values;
}
