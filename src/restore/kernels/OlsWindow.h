#pragma once

#include "NspLibrary.h"

#include <cstdint>
#include <vector>

// One analysed frame: the new input hop of each channel (time domain, unwindowed) and the
// spectrum of the windowed frame, bins 0 .. N/2, which the processor may change in place.
struct OlsFrame {
    int32_t channels = 0;
    const float* hop[2] = {nullptr, nullptr};
    float* re[2] = {nullptr, nullptr};
    float* im[2] = {nullptr, nullptr};
};

// What runs on each frame of an OlsWindow.
class OlsFrameProcessor {
public:
    virtual ~OlsFrameProcessor() = default;
    virtual void processFrame(const OlsFrame& frame) = 0;
};

// Overlap-save frame driver for spectral processing ("OlsWindow", or "OlsWindowMono" with
// one channel). Frames of N = 1024 samples advance by a hop of N/2; each is multiplied by
// a 4-term Blackman-Harris window divided by N, transformed, handed to the processor,
// transformed back, and the N/2 samples from N/2 - S (S = N/4 + 1) are kept after
// dividing the window out again. Unchanged spectra therefore give back the input, late by
// N/2 + S = 769 frames, whatever the call lengths.
//
// A processor that changes its gains from one frame to the next would leave a step where
// one kept part meets the next (a click on a loud low note). So the first kFade samples of
// each kept part fade in from the previous frame's samples just after its own kept part,
// which stand for the same input: the seam is continuous and unchanged spectra still give
// the input back.
//
// Two channels share one transform call. Buffers are made in the constructor; process()
// allocates nothing.
class OlsWindow {
public:
    static constexpr int32_t kOrder = kNspFftOrder;
    static constexpr int32_t kFrameSize = kNspFftSize;
    static constexpr int32_t kBins = kFrameSize / 2 + 1;
    static constexpr int32_t kHop = kFrameSize / 2;
    static constexpr int32_t kRetainStart = kFrameSize / 4 + 1;
    static constexpr int32_t kLatency = kHop + kRetainStart;
    static constexpr int32_t kFade = 64;
    static constexpr int32_t kMaxChannels = 2;

    explicit OlsWindow(int32_t channels = kMaxChannels);

    // The window sum without the division by N.
    static double blackmanHarris(int32_t n);

    int32_t channels() const { return channels_; }
    // 1 or 2 (other values are clamped). Going back to two channels lets the second carry
    // on from the first, so no sound left over from before the mono stretch comes out.
    void setChannels(int32_t channels);

    // `in` and `out` hold channels() pointers and may be the same buffers; any count.
    void process(const float* const* in, float* const* out, int32_t count,
                 OlsFrameProcessor& processor);

    float window(int32_t n) const { return window_[n]; }
    // The inverse window over the kept part (j < kHop) and the kFade samples after it.
    float inverseWindow(int32_t j) const { return inverse_[j]; }

private:
    void runFrame(OlsFrameProcessor& processor);

    int32_t channels_;
    int32_t fill_ = 0; // position in the current hop, the same for every channel
    std::vector<float> window_;
    std::vector<float> inverse_;
    std::vector<float> fadeIn_; // rises from 0 to 1 over kFade samples
    // Per channel: the previous hop, the hop being gathered and the hop being handed out.
    std::vector<float> previous_[kMaxChannels];
    std::vector<float> input_[kMaxChannels];
    std::vector<float> output_[kMaxChannels];
    // Per channel: the previous frame's samples after its kept part, window divided out.
    std::vector<float> tail_[kMaxChannels];
    // Per channel: the frame, then its CCS spectrum, in place; and the unpacked spectrum.
    std::vector<float> work_[kMaxChannels];
    std::vector<float> re_[kMaxChannels];
    std::vector<float> im_[kMaxChannels];
};
