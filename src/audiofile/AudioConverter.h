#pragma once

#include "AudioFormat.h"

#include <cstdint>
#include <memory>
#include <vector>

class ASampleRateConverter;

// Converts frames from a source format to a destination format through up to six
// stages, in this order: source byte swap, planar to interleaved, rate lowering, sample
// type, channel count, rate raising, interleaved to planar, then destination byte swap.
// The rate is changed on the side with fewer frames.
//
// The rate converter and two scratch buffers belong to the object: buffers grow to the
// largest block seen and are then reused, and the rate converter keeps its position
// across convert() calls until reset() or a change of format, so a file read in blocks
// is converted as one stream.
class AudioConverter {
public:
    AudioConverter();
    ~AudioConverter();
    AudioConverter(const AudioConverter&) = delete;
    AudioConverter& operator=(const AudioConverter&) = delete;

    // `swapWord` non-zero: the samples are stored in the opposite byte order.
    void setSourceFormat(const AudioFormat& format, uint16_t swapWord);
    void setDestinationFormat(const AudioFormat& format, uint16_t swapWord);
    const AudioFormat& sourceFormat() const { return source_; }
    const AudioFormat& destinationFormat() const { return destination_; }

    // Converts `frames` source frames into at most `capacity` destination frames. Returns
    // the destination frames written, or -1 when a stage cannot convert the formats (an
    // unsupported depth, sample type, channel ratio or rate ratio). consumedFrames() tells
    // how many source frames were used; with a rate stage that may be fewer than `frames`.
    int32_t convert(void* destination, int32_t capacity, const void* source, int32_t frames);
    // One self-contained conversion from a fresh rate position; `destination` holds at
    // least destinationFramesFor(frames) frames.
    bool convert(void* destination, const void* source, int32_t frames);

    int32_t consumedFrames() const { return consumed_; }
    bool hasRateStage() const;
    // Source frames needed for `destinationFrames` outputs, from the current rate position.
    int64_t sourceFramesFor(int64_t destinationFrames) const;
    // The most destination frames that `sourceFrames` can give.
    int64_t destinationFramesFor(int64_t sourceFrames) const;
    // Back to the start of a stream: rate phase 1.0, last samples 0.
    void reset();

private:
    void setSide(AudioFormat& side, uint16_t& sideSwap, const AudioFormat& format,
                 uint16_t swapWord);
    void rebuildRateConverter();
    uint8_t* scratch(int index, int64_t bytes);

    AudioFormat source_;
    AudioFormat destination_;
    uint16_t sourceSwap_ = 0;
    uint16_t destinationSwap_ = 0;
    std::unique_ptr<ASampleRateConverter> rate_;
    std::vector<uint8_t> scratch_[2];
    int32_t consumed_ = 0;
};
