#include "ConvertingTransfer.h"

#include <algorithm>

void ConvertingTransfer::reset() {
    if (direction_ != Direction::kNone) {
        reader_.reset();
        writer_.reset();
        direction_ = Direction::kNone;
    }
}

void ConvertingTransfer::turnTo(Direction direction) {
    if (direction_ != direction) {
        reset();
        direction_ = direction;
    }
}

uint8_t* ConvertingTransfer::scratch(int64_t bytes) {
    if (static_cast<int64_t>(scratch_.size()) < bytes) {
        scratch_.resize(static_cast<size_t>(bytes));
    }
    return scratch_.data();
}

int32_t ConvertingTransfer::read(FFileStream& stream, const AudioFormat& file, uint16_t swapWord,
                                 const AudioFormat& client, int32_t frames, void* buffer,
                                 int64_t fileFramesLeft) {
    turnTo(Direction::kRead);
    reader_.setSourceFormat(file, swapWord);
    reader_.setDestinationFormat(client, 0);
    const int64_t bytesPerFrame = file.bytesPerFrame;
    // One frame more than the outputs need guards against rounding of the rate position;
    // what is not used is handed back to the file below.
    int64_t wanted = reader_.hasRateStage() ? reader_.sourceFramesFor(frames) + 1 : frames;
    wanted = std::min(wanted, fileFramesLeft);
    if (wanted <= 0 || bytesPerFrame <= 0) {
        return 0;
    }
    uint8_t* fileBytes = scratch(wanted * bytesPerFrame);
    int64_t bytes = stream.read(fileBytes, wanted * bytesPerFrame);
    if (bytes <= 0) {
        return static_cast<int32_t>(bytes);
    }
    int32_t fileFrames = static_cast<int32_t>(bytes / bytesPerFrame);
    int32_t produced = reader_.convert(buffer, frames, fileBytes, fileFrames);
    int64_t used = produced < 0 ? 0 : reader_.consumedFrames() * bytesPerFrame;
    if (bytes > used) {
        stream.seek(used - bytes, FSeekOrigin::kCurrent);
    }
    return produced;
}

int32_t ConvertingTransfer::write(FFileStream& stream, const AudioFormat& file, uint16_t swapWord,
                                  const AudioFormat& client, int32_t frames, const void* buffer) {
    turnTo(Direction::kWrite);
    writer_.setSourceFormat(client, 0);
    writer_.setDestinationFormat(file, swapWord);
    const int64_t bytesPerFrame = file.bytesPerFrame;
    int64_t capacity = std::min<int64_t>(writer_.destinationFramesFor(frames) + 1, INT32_MAX);
    if (bytesPerFrame <= 0) {
        return -1;
    }
    uint8_t* fileBytes = scratch(capacity * bytesPerFrame);
    int32_t fileFrames = writer_.convert(fileBytes, static_cast<int32_t>(capacity), buffer, frames);
    if (fileFrames < 0) {
        return -1;
    }
    int64_t bytes = stream.write(fileBytes, fileFrames * bytesPerFrame);
    if (bytes == fileFrames * bytesPerFrame) {
        return frames;
    }
    if (bytes <= 0) {
        return static_cast<int32_t>(bytes);
    }
    // A short write: report the client frames that the written file frames stand for.
    double written = static_cast<double>(bytes / bytesPerFrame);
    return static_cast<int32_t>(written * client.sampleRate / file.sampleRate);
}
