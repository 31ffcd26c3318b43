#pragma once

#include "AudioFileCheck.h"
#include "AudioFileTypes.h"
#include "AudioFormat.h"
#include "AudioHeaderRepair.h"
#include "AudioOpenResult.h"
#include "AudioStream.h"
#include "ConvertingTransfer.h"

#include <cstdint>
#include <memory>
#include <string>

class AudioFileHandler;

// An audio file on disk: the one way the program reads and writes audio. Its type (AIFF,
// AIFC, WAVE) comes from the file's first bytes, whatever its name; a path still to be
// created, or a file whose content names no type, takes the type of its extension (letter
// case ignored). Its header is read or written by the handler of that type, and its frames
// are read and written in the client format, converted on the fly from and to the file's
// format when the two differ. There is no cache: every read and write goes to the file
// stream.
//
// Opens nest; only the first reads the header and only the last close closes the stream.
// After every open the client format equals the file format. Writes and the format setters
// mark the header dirty; the next flush or close rewrites its lengths and format.
//
// Only regular files open. A file cut short (its data chunk claims more than the file
// holds) opens with the whole frames it holds; headerFrames() keeps what the header says.
//
// Reads never return frames past the file's frame count, so chunks after the sample data
// are never taken for audio. Sequential reads (or writes) at another sample rate continue
// one converted stream; a seek starts a new one. A conversion that cannot be made fails
// the transfer (-1) rather than return noise. Not thread-safe: one object, one thread.
class AudioFile : public AudioStream {
public:
    // The empty file object of the class registry: no path, no handler.
    AudioFile();
    explicit AudioFile(FRef<FNPath> path);
    explicit AudioFile(const std::string& path);
    // Closes an open file completely (rewriting a dirty header) before it goes.
    ~AudioFile() override;

    // A new file object for the same file with the same kind, state, frames, data offset
    // and formats, and a handler of its own. The clone starts closed, whatever the state of
    // this one, so neither can close the other's stream.
    FRef<AudioFile> clone() const;
    // Reads a path written by writeToStream and identifies the file again (closing this
    // one first if it is open); false when no path could be read or it names no audio file.
    bool readFromStream(FFileStream& stream);
    bool writeToStream(FFileStream& stream) const;

    // Opens `path` for reading to learn its format, and closes it again.
    static AudioFileCheck check(const std::string& path);
    // Mends the lengths in the header of a recording cut off by a crash (AudioHeaderRepair).
    static AudioHeaderRepair repairHeader(const std::string& path);

    bool create() override;
    // False when the file does not open; lastOpenResult() says why.
    bool open(FAccessMode mode) override;
    bool close() override;
    // Rewrites a dirty header now; the stream keeps its position.
    bool flush();
    int32_t read(int32_t frames, void* buffer) override;
    int32_t write(int32_t frames, const void* buffer) override;
    int32_t seek(int32_t frame) override;
    int32_t position() override;

    int32_t formatFlags() override;
    int16_t bytesPerFrame() override;
    int16_t channels() override;
    float sampleRate() override;
    int32_t frames() override;
    int32_t sampleType() override;
    int16_t bits() override;

    int32_t clientFormatFlags() const override { return client_.formatFlags; }
    bool setClientFormatFlags(int32_t flags) override;
    int16_t clientBytesPerFrame() const override { return client_.bytesPerFrame; }
    bool setClientBytesPerFrame(int16_t bytes) override;
    int16_t clientBits() const override { return client_.bits; }
    bool setClientBits(int16_t bits) override;
    int32_t clientSampleType() const override { return client_.sampleType; }
    bool setClientSampleType(int32_t type) override;
    int16_t clientChannels() const override { return client_.channels; }
    bool setClientChannels(int16_t channels) override;
    // Sets all six client fields at once, e.g. to the file format after create().
    void setClientFormat(const AudioFormat& format) { client_ = format; }
    float clientSampleRate() const { return client_.sampleRate; }
    void setClientSampleRate(float rate);
    // The file's frames counted at the client's sample rate.
    int32_t clientFrames();

    // Why the last open succeeded or failed; kOk before any open.
    AudioOpenResult lastOpenResult() const { return lastOpenResult_; }
    // The frames the header claimed at open, or as last written; more than frames() in a
    // file cut short.
    int32_t headerFrames() const { return headerFrames_; }
    bool isTruncated() const { return headerFrames_ > frames_; }

    int32_t kind() const { return kind_; }
    uint32_t dataOffset() const;
    uint16_t swapWord() const;
    // Setters of the file format; all but setSampleType mark the header dirty.
    void setChannels(int16_t channels);
    void setSampleRate(float rate);
    void setFrames(int32_t frames);
    void setBits(int16_t bits);
    void setSampleType(int32_t type);

    const AudioFormat& fileFormat() const { return file_; }
    const AudioFormat& clientFormat() const { return client_; }
    bool hasHandler() const { return handler_ != nullptr; }
    AudioFileHandler* handler() const { return handler_.get(); }
    bool isOpen() const { return openCount_ > 0; }
    int16_t openCount() const { return openCount_; }
    bool isDirty() const { return (state_ & kDirty) != 0; }
    // Set once the file has been opened or created: its header information is known.
    bool wasOpened() const { return (state_ & kOpened) != 0; }

private:
    friend class AudioFileHandler;

    enum : uint16_t { kOpened = 1, kDirty = 2 };

    // Finds the kind from the file's content or the path and makes its handler; false for
    // an unknown type.
    bool identify();
    // Why a file without a handler does not open.
    AudioOpenResult reasonWithoutHandler() const;
    void makeHandler();
    // Reads the header of a file never opened, so the format getters can answer.
    void refreshHeaderInfo();
    // A file format field after the refresh, or `withoutHandler` for an unknown type.
    template <class T> T refreshed(T AudioFormat::*field, T withoutHandler);
    void makeFileBytesPerFrameConsistent();
    // True when the client's bytes per frame and bits per sample do not describe each other.
    bool clientBitsDisagree() const;
    void deriveClientBytesPerFrame();
    // The handler's stream when the file is ready to transfer frames, else null.
    FFileStream* transferStream() const;
    bool updateHeaderKeepingPosition();
    void closeCompletely();

    int32_t kind_ = kAudioKindUnknown;
    uint16_t state_ = 0;
    int16_t openCount_ = 0;
    int32_t frames_ = 0;
    int32_t headerFrames_ = 0;
    AudioOpenResult lastOpenResult_ = AudioOpenResult::kOk;
    uint32_t dataOffset_ = 0;
    uint16_t swapWord_ = 0;
    AudioFormat file_;
    AudioFormat client_;
    std::unique_ptr<AudioFileHandler> handler_;
    ConvertingTransfer transfer_;
};
