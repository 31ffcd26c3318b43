#pragma once

#include "AudioFormat.h"
#include "AudioOpenResult.h"
#include "FFileStream.h"

#include <cstdint>
#include <memory>

class AudioFile;

// Reads and writes the header of one file format for an AudioFile, and holds the file's
// stream while it is open. Each format's handler gives the three header operations;
// they fill or use the owner's file format, frames, data offset and swap word.
class AudioFileHandler {
public:
    explicit AudioFileHandler(AudioFile& owner);
    virtual ~AudioFileHandler();
    AudioFileHandler(const AudioFileHandler&) = delete;
    AudioFileHandler& operator=(const AudioFileHandler&) = delete;

    // Opens the owner's path. False when the file cannot be opened or is empty, and when
    // the header is rejected (then headerRejected() is true and the owner drops us);
    // openResult() says which.
    virtual bool open(FAccessMode mode);
    // Creates the file (replacing one), with no frames; a header that cannot be written
    // removes the half-made file.
    virtual bool create();
    virtual bool close();
    // frames = (file size - data offset) / bytes per frame; false when not open.
    virtual bool updateLengthFromSize();
    virtual bool readHeader() = 0;
    // For a header that was rejected: whether the file ends before its audio begins.
    virtual bool endsBeforeAudio() { return false; }
    virtual bool writeHeader() = 0;
    virtual bool updateHeader() = 0;

    FFileStream* stream() const { return stream_.get(); }
    bool headerRejected() const { return headerRejected_; }
    AudioOpenResult openResult() const { return openResult_; }

protected:
    // The owner's fields that a header describes.
    AudioFormat& fileFormat();
    int32_t& frames();
    // The frames the header claims; more than frames() when the file was cut short.
    int32_t& headerFrames();
    uint32_t& dataOffset();
    uint16_t& swapWord();

    // True when a format read from a header can be transferred: channels, a whole number
    // of bytes per frame and a finite, positive sample rate.
    static bool isUsable(const AudioFormat& format);
    // The size of the outer chunk (RIFF or FORM) for the current frames: everything after
    // its first 8 bytes, at least up to the end of the sample data.
    uint32_t containerSize();
    // The sample rate as the whole number the headers store.
    uint32_t integerSampleRate();
    // Called by readHeader() before it fails on a coding the program cannot read.
    void markUnsupported() { unsupported_ = true; }

    AudioFile& owner_;
    std::unique_ptr<FFileStream> stream_;

private:
    // Why the header just read was rejected.
    AudioOpenResult rejection();

    bool headerRejected_ = false;
    bool unsupported_ = false;
    AudioOpenResult openResult_ = AudioOpenResult::kOk;
};
