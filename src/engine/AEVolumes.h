#pragma once

#include <array>
#include <atomic>
#include <cstdint>

// The four software volumes (0..65535) the engine applies: output left and right to what
// it plays, input left and right to what it records. A direction whose two values are
// both at least kUntouched leaves its buffers as they are. Any thread may read or set them.
class AEVolumes {
public:
    enum Direction : int32_t { kOutput = 0, kInput = 1 };
    static constexpr int32_t kFull = 65535;
    static constexpr int32_t kUntouched = 65534;

    // Channel 0 is left, 1 right.
    int32_t volume(Direction direction, int32_t channel) const;
    // Kept within 0..65535; another channel number changes nothing.
    void setVolume(Direction direction, int32_t channel, int32_t value);
    // Scales interleaved stereo frames by the direction's volumes.
    void apply(Direction direction, int16_t* samples, int32_t frames) const;

private:
    static int32_t slot(Direction direction, int32_t channel) { return direction * 2 + channel; }

    // Output left, output right, input left, input right.
    std::array<std::atomic<int32_t>, 4> values_{kFull, kFull, kFull, kFull};
};
