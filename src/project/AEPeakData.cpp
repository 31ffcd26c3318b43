#include "AEPeakData.h"

#include "ProjectHost.h"

#include "AudioFile.h"
#include "FFileSystem.h"
#include "FNPath.h"

#include <algorithm>

namespace {

using PeakBlocks::kBytesPerBlock;
using PeakBlocks::kFramesPerBlock;

// Frames read from the audio at a time while computing: 256 blocks, 256 KB, which stay
// in the cache between reading and computing.
constexpr int32_t kChunkBlocks = 256;
constexpr int32_t kChunkFrames = kChunkBlocks * kFramesPerBlock;

// Resizes without letting an allocation failure escape.
template <class T> bool tryResize(std::vector<T>& buffer, int64_t size) {
    try {
        buffer.resize(static_cast<size_t>(size));
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

} // namespace

AEPeakData::AEPeakData(AudioFile* audioFile) : audioFile_(audioFile) {}

std::string AEPeakData::peakPath(const std::string& audioPath) {
    return FNPath(audioPath).withExtension("pk");
}

std::string AEPeakData::peakPath() const {
    return audioFile_ ? peakPath(audioFile_->pathName()) : std::string();
}

bool AEPeakData::resizeData(int64_t bytes, const char* failure) {
    if (bytes > kMaxBlocks * kBytesPerBlock + kGrowBytes || !tryResize(data_, bytes)) {
        ProjectHost::log(failure);
        data_.clear();
        return false;
    }
    return true;
}

bool AEPeakData::load() {
    recording_ = false;
    blockCount_ = 0;
    data_.clear();
    auto stream = FFileSystem::open(peakPath(), FAccessMode::kRead);
    if (!stream) {
        return false;
    }
    // The last byte is never read, so the last block of the file is not counted.
    const int64_t bytes = stream->size() - 1;
    if (bytes <= 0 || !resizeData(bytes, "could not create peak buffer")) {
        return false;
    }
    const int64_t got = stream->read(data_.data(), bytes);
    if (got <= 0) {
        data_.clear();
        return false;
    }
    data_.resize(static_cast<size_t>(got));
    blockCount_ = static_cast<int32_t>(got / kBytesPerBlock);
    return true;
}

bool AEPeakData::build() {
    return (load() && matchesAudio()) || compute();
}

bool AEPeakData::matchesAudio() {
    if (!audioFile_ || !audioFile_->open(FAccessMode::kRead)) {
        return false;
    }
    const int32_t frames = audioFile_->frames();
    audioFile_->close();
    // A peak file left by another audio file of the same name is of another length. A
    // recording's peak file stops up to two blocks short of the audio's end.
    const int32_t full = frames / kFramesPerBlock;
    return frames >= 0 && blockCount_ <= full && blockCount_ >= full - 2;
}

bool AEPeakData::compute() {
    recording_ = false;
    blockCount_ = 0;
    data_.clear();
    if (!audioFile_ || !audioFile_->open(FAccessMode::kRead)) {
        return false;
    }
    ProjectHost::log("Error: Peakfile constructed during construct!");
    // The outline is of 16-bit interleaved stereo at the file's own rate.
    audioFile_->setClientSampleRate(audioFile_->sampleRate());
    audioFile_->setClientSampleType(kSampleSigned);
    audioFile_->setClientFormatFlags(0);
    audioFile_->setClientChannels(2);
    audioFile_->setClientBits(16);

    const int64_t length = std::max(audioFile_->frames(), 0);
    const int64_t blocks = length / kFramesPerBlock + 1;
    std::vector<int16_t> chunk;
    if (!resizeData(blocks * kBytesPerBlock, "could not allocate memory for peak buffer") ||
        !tryResize(chunk, int64_t{kChunkFrames} * 2)) {
        data_.clear();
        audioFile_->close();
        return false;
    }
    audioFile_->seek(0);

    bool failed = false;
    {
        ProjectHost::Progress progress(blocks * kBytesPerBlock);
        writeOffset_ = 0;
        pending_ = {};
        pendingFrames_ = 0;
        int64_t framesLeft = length;
        int64_t shown = 0;
        while (framesLeft > 0) {
            const auto want = static_cast<int32_t>(std::min<int64_t>(kChunkFrames, framesLeft));
            const int32_t got = audioFile_->read(want, chunk.data());
            if (got < 0) {
                failed = true;
                break;
            }
            if (got == 0) {
                break; // shorter than its header says: the rest stays silent
            }
            appendFrames(chunk.data(), got);
            progress.advance(writeOffset_ - shown);
            shown = writeOffset_;
            framesLeft -= got;
        }
        if (pendingFrames_ > 0) {
            appendPending();
        }
        progress.advance(blocks * kBytesPerBlock - shown);
    }
    audioFile_->close();
    if (failed) {
        ProjectHost::log("could not read the audio for the peak file");
        data_.clear();
        return false;
    }
    blockCount_ = static_cast<int32_t>(blocks);
    save();
    return true;
}

bool AEPeakData::save() {
    saved_ = false;
    auto stream = FFileSystem::create(peakPath());
    if (!stream) {
        return false;
    }
    const int64_t bytes = int64_t{blockCount_} * kBytesPerBlock;
    saved_ = (bytes == 0 || stream->write(data_.data(), bytes) == bytes) && stream->flush();
    return saved_;
}

bool AEPeakData::beginRecording() {
    data_.clear();
    blockCount_ = 0;
    if (!resizeData(kGrowBytes, "could not create peakbuffer to record or process file")) {
        data_.clear();
        return false;
    }
    writeOffset_ = 0;
    pending_ = {};
    pendingFrames_ = 0;
    recording_ = true;
    return true;
}

bool AEPeakData::ensureCapacity(int64_t bytes) {
    if (bytes <= static_cast<int64_t>(data_.size())) {
        return true;
    }
    // Whole steps, as many as the bytes need.
    const int64_t steps =
        (bytes - static_cast<int64_t>(data_.size()) + kGrowBytes - 1) / kGrowBytes;
    const int64_t target = static_cast<int64_t>(data_.size()) + steps * kGrowBytes;
    if (target > kMaxBlocks * kBytesPerBlock + kGrowBytes || !tryResize(data_, target)) {
        ProjectHost::log("increasing peak buffer failed");
        return false;
    }
    return true;
}

bool AEPeakData::addFrames(const int16_t* samples, int32_t frames) {
    if (!recording_ || frames < 0 || (frames > 0 && !samples)) {
        return false;
    }
    // One spare byte beyond the blocks, as the recording buffer always kept.
    const int64_t blocks = (int64_t{pendingFrames_} + frames) / kFramesPerBlock;
    if (!ensureCapacity(int64_t{writeOffset_} + blocks * kBytesPerBlock + 1)) {
        return false;
    }
    appendFrames(samples, frames);
    blockCount_ = (writeOffset_ - 1) / kBytesPerBlock;
    return true;
}

bool AEPeakData::finish() {
    if (!recording_) {
        // The peaks came from build(): they are complete and already on disk.
        return isValid();
    }
    recording_ = false;
    blockCount_ = (writeOffset_ - 1) / kBytesPerBlock;
    return save();
}

void AEPeakData::appendPending() {
    pending_.store(data_.data() + writeOffset_);
    writeOffset_ += kBytesPerBlock;
    pending_ = {};
    pendingFrames_ = 0;
}

void AEPeakData::appendFrames(const int16_t* samples, int32_t frames) {
    int32_t used = 0;
    if (pendingFrames_ > 0) {
        used = std::min(frames, kFramesPerBlock - pendingFrames_);
        pending_.add(samples, used);
        pendingFrames_ += used;
        if (pendingFrames_ < kFramesPerBlock) {
            return;
        }
        appendPending();
    }
    const int32_t full = (frames - used) / kFramesPerBlock;
    PeakBlocks::computeFull(samples + int64_t{used} * 2, full, data_.data() + writeOffset_);
    writeOffset_ += full * kBytesPerBlock;
    used += full * kFramesPerBlock;
    if (used < frames) {
        pending_.add(samples + int64_t{used} * 2, frames - used);
        pendingFrames_ = frames - used;
    }
}
