#pragma once

#include "FFileStream.h"
#include "FNPath.h"
#include "FShared.h"

#include <cstdint>
#include <string>

// An audio stream named by a path: the abstract interface of AudioFile. Frame counts and
// positions are 32-bit; read and write return frames, or -1 when the stream is not in a
// state to transfer. The destructor is public, so a stream may have a single owner
// (std::unique_ptr, a member) as well as shared ones (FRef).
class AudioStream : public FShared {
public:
    explicit AudioStream(FRef<FNPath> path);
    ~AudioStream() override;

    virtual void setPath(FRef<FNPath> path);
    // Renames the file; on success the path takes the new name (a bare name stays in the
    // same directory).
    virtual bool rename(const std::string& newName);
    virtual std::string pathName() const;
    virtual bool create() = 0;
    virtual bool open(FAccessMode mode) = 0;
    virtual bool close() = 0;
    // A byte for the owner's use; the audio classes never interpret it.
    virtual void setUserFlag(uint8_t flag);
    virtual uint8_t userFlag() const;
    virtual int32_t read(int32_t frames, void* buffer) = 0;
    virtual int32_t write(int32_t frames, const void* buffer) = 0;
    virtual int32_t seek(int32_t frame) = 0;
    virtual int32_t position() = 0;

    // The file's format. Not const: a file may read its header to answer.
    virtual int32_t formatFlags() { return 0; }
    virtual int16_t bytesPerFrame() { return 0; }
    virtual int16_t channels() { return 0; }
    virtual float sampleRate() { return 1.0f; }
    virtual int32_t frames() { return 0; }
    virtual int32_t sampleType() { return 1; }
    virtual int16_t bits() { return 0; }

    // The client format: the one read and write use.
    virtual int32_t clientFormatFlags() const { return 0; }
    virtual bool setClientFormatFlags(int32_t) { return false; }
    virtual int16_t clientBytesPerFrame() const { return 0; }
    virtual bool setClientBytesPerFrame(int16_t) { return false; }
    virtual int16_t clientBits() const { return 0; }
    virtual bool setClientBits(int16_t) { return false; }
    virtual int32_t clientSampleType() const { return 1; }
    virtual bool setClientSampleType(int32_t) { return false; }
    virtual int16_t clientChannels() const { return 1; }
    virtual bool setClientChannels(int16_t) { return false; }

    const FRef<FNPath>& path() const { return path_; }

protected:
    FRef<FNPath> path_;
    uint8_t userFlag_ = 0;
};
