#pragma once

#include "SoundFileInfo.h"
#include "StereoDownmix.h"
#include "TpdfDither.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class SoundFileReader;
class SoxrResampler;

// Reads any audio file the decoding library knows as the program's own audio: 44 100 Hz,
// 16-bit, interleaved stereo. On the way the channels are folded to stereo
// (StereoDownmix), the rate is converted with a high-quality band-limited filter
// (SoxrResampler) and the samples are brought to 16 bits with TPDF dither (TpdfDither);
// a file that is already 44 100 Hz integer PCM of at most 16 bits and one or two channels
// passes bit for bit, without dither.
//
// The output holds exactly frames() frames: the source length at 44 100 Hz, rounded to
// the nearest frame; a source that ends early is padded with silence, one that runs on is
// cut. Buffers are made by open(); read() allocates nothing.
class TitleFormatReader {
public:
    static constexpr int32_t kTitleRate = 44100;
    // The most frames one read() delivers.
    static constexpr int32_t kMaxBlock = 16384;

    TitleFormatReader();
    ~TitleFormatReader();
    TitleFormatReader(const TitleFormatReader&) = delete;
    TitleFormatReader& operator=(const TitleFormatReader&) = delete;

    // False when the file cannot be decoded, or its rate or length is out of reach.
    bool open(const std::string& path);
    // Frames the output will hold.
    int64_t frames() const { return total_; }
    const SoundFileInfo& source() const { return source_; }
    // True when the rate is converted or the samples are dithered.
    bool converts() const { return resampler_ != nullptr || dither_.on(); }
    // Reads up to `frames` (at most kMaxBlock) stereo frames; the frames read, 0 at the
    // end, -1 when the source cannot be decoded further.
    int32_t read(int16_t* stereo, int32_t frames);

    // The length at 44 100 Hz of `frames` frames at `rate`, rounded to the nearest frame.
    static int64_t titleFrames(int64_t frames, int32_t rate);

private:
    // Fills up to `capacity` float stereo frames at the title rate; 0 once the source and
    // the filter are empty, -1 on failure.
    int64_t produce(float* output, int64_t capacity);
    // Decodes the next input block into stereo_; false on a decoding error.
    bool decodeBlock();

    std::unique_ptr<SoundFileReader> file_;
    std::unique_ptr<SoxrResampler> resampler_;
    SoundFileInfo source_;
    StereoDownmix mix_{2};
    TpdfDither dither_{false};
    std::vector<float> raw_;
    std::vector<float> stereo_;
    std::vector<float> output_;
    int64_t pendingOffset_ = 0;
    int64_t pendingFrames_ = 0;
    bool sourceDone_ = false;
    int64_t total_ = 0;
    int64_t delivered_ = 0;
};
