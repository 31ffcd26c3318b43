#pragma once

#include <cstdint>
#include <optional>
#include <vector>

// Integrated loudness (LUFS) and true peak (dBTP) of interleaved stereo audio at 44 100 Hz,
// measured to EBU R128 / ITU-R BS.1770 by libebur128 (gated integration in histogram mode,
// so memory stays the same however long the audio; true peak by 4× oversampling).
// Feed it frames in order; one object, one thread.
class LoudnessMeter {
public:
    static constexpr int32_t kChannels = 2;

    explicit LoudnessMeter(int32_t sampleRate = 44100);
    ~LoudnessMeter();
    LoudnessMeter(LoudnessMeter&& other) noexcept;
    LoudnessMeter& operator=(LoudnessMeter&& other) noexcept;
    LoudnessMeter(const LoudnessMeter&) = delete;
    LoudnessMeter& operator=(const LoudnessMeter&) = delete;

    // False when the meter could not be made (out of memory).
    bool valid() const { return state_ != nullptr; }

    void add(const int16_t* interleaved, int32_t frames);
    // Full scale 1.0.
    void add(const float* interleaved, int32_t frames);

    // The integrated loudness; none for audio too short or too quiet to measure (everything
    // below the absolute gate of −70 LUFS).
    std::optional<double> integrated() const;
    // The highest true peak of either channel in dBTP (−inf for digital silence).
    double truePeakDb() const;
    // The highest sample peak of either channel, full scale 1.0.
    double samplePeak() const;

    // The integrated loudness of several meters' audio taken as one programme (an album).
    static std::optional<double> integrated(const std::vector<const LoudnessMeter*>& meters);

private:
    void* state_ = nullptr;
};
