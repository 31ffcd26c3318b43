#include "OlsWindow.h"

#include <algorithm>
#include <cmath>
#include <numbers>

OlsWindow::OlsWindow(int32_t channels)
    : channels_(std::clamp(channels, 1, kMaxChannels)), window_(kFrameSize), inverse_(kHop + kFade),
      fadeIn_(kFade) {
    for (int32_t n = 0; n < kFrameSize; ++n) {
        window_[n] = static_cast<float>(blackmanHarris(n) / kFrameSize);
    }
    for (int32_t j = 0; j < kHop + kFade; ++j) {
        inverse_[j] = static_cast<float>(kFrameSize / blackmanHarris(j + kHop - kRetainStart));
    }
    for (int32_t j = 0; j < kFade; ++j) {
        fadeIn_[j] = static_cast<float>(0.5 - 0.5 * std::cos(std::numbers::pi * (j + 0.5) / kFade));
    }
    for (int32_t c = 0; c < kMaxChannels; ++c) {
        previous_[c].assign(kHop, 0.0f);
        input_[c].assign(kHop, 0.0f);
        output_[c].assign(kHop, 0.0f);
        tail_[c].assign(kFade, 0.0f);
        work_[c].assign(kNspCcsLength, 0.0f);
        re_[c].assign(kBins, 0.0f);
        im_[c].assign(kBins, 0.0f);
    }
}

double OlsWindow::blackmanHarris(int32_t n) {
    const double x = 2.0 * std::numbers::pi * n / kFrameSize;
    return 0.35875 - 0.48829 * std::cos(x) + 0.14128 * std::cos(2.0 * x) -
           0.01168 * std::cos(3.0 * x);
}

void OlsWindow::setChannels(int32_t channels) {
    channels = std::clamp(channels, 1, kMaxChannels);
    if (channels == 2 && channels_ == 1) {
        previous_[1] = previous_[0];
        input_[1] = input_[0];
        output_[1] = output_[0];
        tail_[1] = tail_[0];
    }
    channels_ = channels;
}

void OlsWindow::process(const float* const* in, float* const* out, int32_t count,
                        OlsFrameProcessor& processor) {
    for (int32_t done = 0; done < count;) {
        const int32_t piece = std::min(count - done, kHop - fill_);
        for (int32_t c = 0; c < channels_; ++c) {
            // Take the input before giving out: the caller may pass one buffer for both.
            std::copy_n(in[c] + done, piece, input_[c].data() + fill_);
            std::copy_n(output_[c].data() + fill_, piece, out[c] + done);
        }
        fill_ += piece;
        done += piece;
        if (fill_ == kHop) {
            runFrame(processor);
            fill_ = 0;
        }
    }
}

void OlsWindow::runFrame(OlsFrameProcessor& processor) {
    OlsFrame frame;
    frame.channels = channels_;
    for (int32_t c = 0; c < channels_; ++c) {
        float* x = work_[c].data();
        nspsbMpy3(previous_[c].data(), window_.data(), x, kHop);
        nspsbMpy3(input_[c].data(), window_.data() + kHop, x + kHop, kHop);
        previous_[c].swap(input_[c]);
        frame.hop[c] = previous_[c].data();
        frame.re[c] = re_[c].data();
        frame.im[c] = im_[c].data();
    }
    // Without the transforms (library shut down) the windowed frame itself is handed on,
    // which passes the signal through unchanged.
    if (nspsReal2Fft(work_[0].data(), work_[1].data(), kOrder, kNspForward)) {
        for (int32_t c = 0; c < channels_; ++c) {
            const float* x = work_[c].data();
            for (int32_t k = 0; k < kBins; ++k) {
                re_[c][k] = x[2 * k];
                im_[c][k] = x[2 * k + 1];
            }
        }
        processor.processFrame(frame);
        for (int32_t c = 0; c < channels_; ++c) {
            float* x = work_[c].data();
            for (int32_t k = 0; k < kBins; ++k) {
                x[2 * k] = re_[c][k];
                x[2 * k + 1] = im_[c][k];
            }
        }
        if (!nspsCcs2Fft(work_[0].data(), work_[1].data(), kOrder, kNspInverse)) {
            for (int32_t c = 0; c < channels_; ++c) {
                std::fill(work_[c].begin(), work_[c].end(), 0.0f);
            }
        }
    }
    for (int32_t c = 0; c < channels_; ++c) {
        const float* kept = work_[c].data() + kHop - kRetainStart;
        float* out = output_[c].data();
        float* tail = tail_[c].data();
        nspsbMpy3(kept, inverse_.data(), out, kHop);
        for (int32_t j = 0; j < kFade; ++j) {
            out[j] = tail[j] + fadeIn_[j] * (out[j] - tail[j]);
        }
        nspsbMpy3(kept + kHop, inverse_.data() + kHop, tail, kFade);
    }
}
