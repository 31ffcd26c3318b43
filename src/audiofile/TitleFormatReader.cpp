#include "TitleFormatReader.h"

#include "SoundFileReader.h"
#include "SoxrResampler.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Source frames decoded at a time.
constexpr int64_t kInputBlock = 4096;
// Rates outside this range are not audio a title can come from.
constexpr int32_t kLowestRate = 1000;
constexpr int32_t kHighestRate = 1000000;

} // namespace

TitleFormatReader::TitleFormatReader() = default;
TitleFormatReader::~TitleFormatReader() = default;

int64_t TitleFormatReader::titleFrames(int64_t frames, int32_t rate) {
    if (rate <= 0) {
        return 0;
    }
    return std::llround(static_cast<double>(frames) * kTitleRate / rate);
}

bool TitleFormatReader::open(const std::string& path) {
    resampler_.reset();
    file_ = SoundFileReader::open(path);
    if (!file_) {
        return false;
    }
    source_ = file_->info();
    if (source_.sampleRate < kLowestRate || source_.sampleRate > kHighestRate) {
        file_.reset();
        return false;
    }
    total_ = titleFrames(source_.frames, source_.sampleRate);
    // Titles count their frames in 32 bits.
    if (total_ <= 0 || total_ > std::numeric_limits<int32_t>::max()) {
        file_.reset();
        return false;
    }
    if (source_.sampleRate != kTitleRate) {
        resampler_ = SoxrResampler::create(2, source_.sampleRate, kTitleRate);
        if (!resampler_) {
            file_.reset();
            return false;
        }
    }
    // Only samples that already sit on the 16-bit grid may skip the dither.
    const bool exact = source_.atMost16Bits && !resampler_ && source_.channels <= 2;
    dither_ = TpdfDither(!exact);
    mix_ = StereoDownmix(source_.channels);
    raw_.assign(static_cast<size_t>(kInputBlock * source_.channels), 0.0f);
    stereo_.assign(static_cast<size_t>(kInputBlock * 2), 0.0f);
    output_.assign(static_cast<size_t>(kMaxBlock) * 2, 0.0f);
    pendingOffset_ = 0;
    pendingFrames_ = 0;
    sourceDone_ = false;
    delivered_ = 0;
    return true;
}

bool TitleFormatReader::decodeBlock() {
    const int64_t got = file_->readFloat(raw_.data(), kInputBlock);
    if (got < 0) {
        return false;
    }
    if (got == 0) {
        sourceDone_ = true;
    } else {
        mix_.mix(raw_.data(), stereo_.data(), got);
    }
    pendingOffset_ = 0;
    pendingFrames_ = got;
    return true;
}

int64_t TitleFormatReader::produce(float* output, int64_t capacity) {
    for (;;) {
        if (pendingFrames_ == 0 && !sourceDone_ && !decodeBlock()) {
            return -1;
        }
        if (pendingFrames_ == 0) {
            return resampler_ ? resampler_->drain(output, capacity) : 0;
        }
        const float* input = stereo_.data() + 2 * pendingOffset_;
        if (!resampler_) {
            const int64_t n = std::min(capacity, pendingFrames_);
            std::copy(input, input + 2 * n, output);
            pendingOffset_ += n;
            pendingFrames_ -= n;
            return n;
        }
        int64_t consumed = 0;
        const int64_t made = resampler_->process(input, pendingFrames_, consumed, output, capacity);
        if (made < 0 || (made == 0 && consumed == 0)) {
            return -1;
        }
        pendingOffset_ += consumed;
        pendingFrames_ -= consumed;
        if (made > 0) {
            return made;
        }
        // The filter is still filling: feed it more.
    }
}

int32_t TitleFormatReader::read(int16_t* stereo, int32_t frames) {
    if (!file_ || !stereo || frames < 0) {
        return -1;
    }
    const auto want =
        static_cast<int32_t>(std::min<int64_t>({frames, kMaxBlock, total_ - delivered_}));
    int64_t filled = 0;
    while (filled < want) {
        const int64_t made = produce(output_.data() + 2 * filled, want - filled);
        if (made < 0) {
            return -1;
        }
        if (made == 0) {
            // The source said it was longer than it is: silence makes up the difference.
            std::fill(output_.begin() + 2 * filled, output_.begin() + 2 * want, 0.0f);
            break;
        }
        filled += made;
    }
    dither_.quantize(output_.data(), stereo, 2 * static_cast<int64_t>(want));
    delivered_ += want;
    return want;
}
