#pragma once

#include "WaveDeviceTypes.h"

#include <cstdint>

// What the audio device tells the engine: the device has finished with buffer `index`
// (an output buffer played, an input buffer filled). Called on the device's completion
// thread; it must only note the fact.
class AEDeviceClient {
public:
    virtual ~AEDeviceClient() = default;
    virtual void bufferDone(int32_t index) = 0;
};

// The sound card as the audio engine sees it: one output and one input in the fixed format
// (44 100 Hz, 16 bits, 2 channels), each with a ring of buffers, and always in one of two
// modes: record (input open, output closed) or play (output open, input closed).
//
// The engine calls these from its own threads, one at a time (the main thread for opening,
// closing and switching, the worker for buffers); the device's callbacks only mark buffers.
class AEAudioDevice {
public:
    virtual ~AEAudioDevice() = default;

    // The next output buffer to fill, or the next collected input buffer; false when there
    // is none yet. `index` plays no part.
    virtual bool getBuffer(int16_t*& out, int32_t index, bool isInput) = 0;
    virtual int32_t framesPerBuffer(bool isPlay) const = 0;
    // The time one buffer lasts, in whole milliseconds.
    virtual int32_t bufferMilliseconds(bool isPlay) const = 0;
    virtual int32_t totalBufferedFrames(bool isPlay) const = 0;
    // Allocates the buffers and opens the input: record mode.
    virtual bool open() = 0;
    virtual bool startInput() = 0;
    virtual void setClient(AEDeviceClient* client) = 0;
    virtual void close() = 0;
    virtual void stopInput() = 0;
    virtual bool switchToPlay() = 0;
    virtual bool switchToRecord() = 0;
    // Queues the output buffer last handed out for filling.
    virtual bool queueBuffer() = 0;
    // The output buffer queueBuffer queues next.
    virtual int16_t* currentOutputData() = 0;
    virtual bool isBufferMarked(int32_t index) const = 0;
    virtual void markBuffer(int32_t index) = 0;
    virtual void freeBuffers() = 0;
    virtual void setNumPlayBuffers(int32_t count) = 0;
    virtual void setNumRecBuffers(int32_t count) = 0;
    virtual void setPlayBufferSize(int32_t bytes) = 0;
    virtual void setRecBufferSize(int32_t bytes) = 0;
    virtual int32_t getNumPlayBuffers() const = 0;

    // Beyond the wave interface: the device numbers to open (taking effect at the next
    // open or switch), whether the device of the present mode stopped by itself, and what
    // the open input has seen (its dropped frames and overflows).
    virtual void setDeviceNumbers(int play, int record) = 0;
    virtual bool lost() const = 0;
    virtual WaveDeviceStats inputStats() const = 0;
    // Input frames handed out by getBuffer since the input opened: where the next input
    // buffer begins, on the scale of WaveDropout::atFrame.
    virtual uint64_t inputPosition() const = 0;
    // The next input dropout that has ended, in order, when it begins at or before `upTo`;
    // false when there is none.
    virtual bool takeInputDropout(WaveDropout& dropout, uint64_t upTo = UINT64_MAX) = 0;
};
