#pragma once

#include "RestorationMode.h"

#include <array>
#include <cstdint>

// What a processing run does with one title: which of the six restoration stages run
// with which values, which part of the source it reads, and the fades it puts on the
// result.
struct ProcessingSettings {
    static constexpr int32_t kSlots = 6;
    // Fades this short (in frames) are too abrupt to be meant: they become 20 ms.
    static constexpr int32_t kShortestFade = 10;
    static constexpr int32_t kDefaultFade = 882;

    // The user values 0..1 of slots 0..5 and the title's switches; a stage runs when it is
    // switched on and its value is above 0.
    std::array<float, kSlots> values{};
    std::array<bool, kSlots> enabled{};
    // Which repair stages run in slots 0..2.
    RestorationMode mode = RestorationMode::kClassic;
    // The source frames [start, start + length) become the result.
    int32_t start = 0;
    int32_t length = 0;
    // Fades on the written frames; off for a title whose audio is already processed.
    bool fades = false;
    int32_t fadeIn = 0;
    int32_t fadeOut = 0;

    // A stored slider position 0..1 000 000 as a user value.
    static float sliderValue(int32_t position) { return static_cast<float>(position) / 1.0e6f; }

    // The title between its fade points a (start), b (end of the fade-in), c (start of the
    // fade-out) and d (end), kept within a source of `sourceFrames` frames.
    void trimTo(int32_t a, int32_t b, int32_t c, int32_t d, int32_t sourceFrames);
    // All of a source of `sourceFrames` frames, without fades.
    void wholeSource(int32_t sourceFrames);

    bool runs(int32_t slot) const {
        return slot >= 0 && slot < kSlots && enabled[slot] && values[slot] > 0.0f;
    }
};
