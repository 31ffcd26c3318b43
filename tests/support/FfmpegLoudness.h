#pragma once

// Loudness of a file as ffmpeg's ebur128 filter measures it: the integrated loudness with
// three decimals (from the filter's frame metadata) and the highest true peak.

#include "support/GeneratedAudio.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

namespace FfmpegLoudness {

struct Measured {
    double integrated = 0.0;
    double truePeakDb = -INFINITY;
};

// `inputs`: one file, or several (joined one after the other, as one programme).
inline std::optional<Measured> measure(const std::vector<std::string>& inputs) {
    std::string command = "ffmpeg -nostdin -v error";
    for (const std::string& input : inputs) {
        command += " -i " + GeneratedAudio::quoted(input);
    }
    std::string filter;
    for (size_t i = 0; i < inputs.size(); ++i) {
        filter += "[" + std::to_string(i) + ":a]";
    }
    filter += "concat=n=" + std::to_string(inputs.size()) +
              ":v=0:a=1,ebur128=peak=true:metadata=1,ametadata=mode=print:file=-";
    command += " -filter_complex '" + filter + "' -f null - 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) {
        return std::nullopt;
    }
    Measured out;
    bool found = false;
    double peak = 0.0;
    char line[256];
    while (std::fgets(line, sizeof line, pipe)) {
        double value = 0.0;
        if (std::sscanf(line, "lavfi.r128.I=%lf", &value) == 1) {
            out.integrated = value;
            found = true;
        } else if (std::sscanf(line, "lavfi.r128.true_peak=%lf", &value) == 1) {
            peak = std::max(peak, value);
        }
    }
    if (pclose(pipe) != 0 || !found) {
        return std::nullopt;
    }
    out.truePeakDb = peak > 0.0 ? 20.0 * std::log10(peak) : -INFINITY;
    return out;
}

} // namespace FfmpegLoudness
