#pragma once

#include "AudioConverter.h"
#include "AudioFormat.h"
#include "FFileStream.h"

#include <cstdint>
#include <vector>

// The converting path of AudioFile: reads and writes a file's frames in a client format
// that differs from the file's own. One converter for reading and one for writing, each
// with its scratch buffer, live as long as the file object, so a block read or write
// allocates nothing once the largest block has been seen.
//
// Sequential reads (or writes) continue one stream: the rate converter keeps its position,
// and a read takes from the file exactly the frames its outputs used, so converting a file
// in blocks gives the same frames as converting it at once. reset() starts a new stream;
// AudioFile calls it on every seek and whenever the direction changes.
class ConvertingTransfer {
public:
    // Reads up to `frames` client frames from the stream's position, taking at most
    // `fileFramesLeft` file frames. Client frames read, 0 at the end, -1 when the formats
    // cannot be converted (the stream is then left where it was).
    int32_t read(FFileStream& stream, const AudioFormat& file, uint16_t swapWord,
                 const AudioFormat& client, int32_t frames, void* buffer, int64_t fileFramesLeft);
    // Writes `frames` client frames at the stream's position. Client frames written (all
    // of them when the file took every byte), or -1 when the formats cannot be converted
    // (nothing is written then).
    int32_t write(FFileStream& stream, const AudioFormat& file, uint16_t swapWord,
                  const AudioFormat& client, int32_t frames, const void* buffer);
    void reset();

private:
    enum class Direction { kNone, kRead, kWrite };
    void turnTo(Direction direction);
    uint8_t* scratch(int64_t bytes);

    AudioConverter reader_;
    AudioConverter writer_;
    std::vector<uint8_t> scratch_;
    Direction direction_ = Direction::kNone;
};
