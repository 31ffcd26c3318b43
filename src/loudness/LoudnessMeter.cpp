#include "LoudnessMeter.h"

#include <ebur128.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

ebur128_state* stateOf(void* state) {
    return static_cast<ebur128_state*>(state);
}

std::optional<double> finiteLoudness(int status, double loudness) {
    if (status != EBUR128_SUCCESS || !std::isfinite(loudness)) {
        return std::nullopt;
    }
    return loudness;
}

} // namespace

LoudnessMeter::LoudnessMeter(int32_t sampleRate)
    : state_(ebur128_init(kChannels, static_cast<unsigned long>(sampleRate),
                          EBUR128_MODE_I | EBUR128_MODE_TRUE_PEAK | EBUR128_MODE_SAMPLE_PEAK |
                              EBUR128_MODE_HISTOGRAM)) {}

LoudnessMeter::~LoudnessMeter() {
    if (state_) {
        ebur128_state* state = stateOf(state_);
        ebur128_destroy(&state);
    }
}

LoudnessMeter::LoudnessMeter(LoudnessMeter&& other) noexcept : state_(other.state_) {
    other.state_ = nullptr;
}

LoudnessMeter& LoudnessMeter::operator=(LoudnessMeter&& other) noexcept {
    std::swap(state_, other.state_);
    return *this;
}

void LoudnessMeter::add(const int16_t* interleaved, int32_t frames) {
    if (state_ && frames > 0) {
        ebur128_add_frames_short(stateOf(state_), interleaved, static_cast<size_t>(frames));
    }
}

void LoudnessMeter::add(const float* interleaved, int32_t frames) {
    if (state_ && frames > 0) {
        ebur128_add_frames_float(stateOf(state_), interleaved, static_cast<size_t>(frames));
    }
}

std::optional<double> LoudnessMeter::integrated() const {
    if (!state_) {
        return std::nullopt;
    }
    double loudness = 0.0;
    const int status = ebur128_loudness_global(stateOf(state_), &loudness);
    return finiteLoudness(status, loudness);
}

double LoudnessMeter::truePeakDb() const {
    double peak = 0.0;
    for (unsigned int c = 0; state_ && c < kChannels; ++c) {
        double channel = 0.0;
        if (ebur128_true_peak(stateOf(state_), c, &channel) == EBUR128_SUCCESS) {
            peak = std::max(peak, channel);
        }
    }
    return peak > 0.0 ? 20.0 * std::log10(peak) : -std::numeric_limits<double>::infinity();
}

double LoudnessMeter::samplePeak() const {
    double peak = 0.0;
    for (unsigned int c = 0; state_ && c < kChannels; ++c) {
        double channel = 0.0;
        if (ebur128_sample_peak(stateOf(state_), c, &channel) == EBUR128_SUCCESS) {
            peak = std::max(peak, channel);
        }
    }
    return peak;
}

std::optional<double> LoudnessMeter::integrated(const std::vector<const LoudnessMeter*>& meters) {
    std::vector<ebur128_state*> states;
    for (const LoudnessMeter* meter : meters) {
        if (meter && meter->state_) {
            states.push_back(stateOf(meter->state_));
        }
    }
    if (states.empty()) {
        return std::nullopt;
    }
    double loudness = 0.0;
    const int status = ebur128_loudness_global_multiple(states.data(), states.size(), &loudness);
    return finiteLoudness(status, loudness);
}
