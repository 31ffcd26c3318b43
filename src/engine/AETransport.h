#pragma once

#include "AEAudiofile.h"
#include "AEPeakData.h"
#include "ProcessorSwitches.h"
#include "RestorationMode.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

// The files taking part in playback or recording, the processors that playback runs, and
// the play position. The processors live in the play file's slots while it plays; the
// transport keeps which slots hold one and their values, so that a file opened for play
// gets them, and a slider moved during playback restarts that slot's processor at once.
// Used under the audio engine's lock only.
class AETransport {
public:
    static constexpr int32_t kSlots = 8;
    static constexpr int32_t kFadeSlot = 7;
    static constexpr int32_t kLimiterSlot = 6;

    // --- Processors ---------------------------------------------------------------------
    // Slot 0..7 holds a processor made with `value`; a playing file gets it now.
    bool createProcessor(int32_t slot, float value);
    void removeProcessor(int32_t slot);
    bool hasProcessor(int32_t slot) const;
    float processorValue(int32_t slot) const;
    // Empties slots 0..lastSlot (values stay).
    void releaseProcessors(int32_t lastSlot);
    // The four fade points for slot 7 (all −1: none).
    void setFades(int32_t a, int32_t b, int32_t c, int32_t d);
    // Which repair stages slots 0..2 hold; a playing file gets them at once.
    void setRestorationMode(RestorationMode mode);
    RestorationMode restorationMode() const { return mode_; }

    // --- Playing ------------------------------------------------------------------------
    // Opens filePath for playing from `from` (kept within the file), looping [start, end)
    // when `loop` is set, and gives it the processors of the slots in the order 0..5, 7,
    // 6. False (and no play file) when the file cannot be opened.
    bool openPlayFile(std::shared_ptr<const ProcessorSwitches> switches, int32_t queuedBuffers,
                      std::function<void()> endHandler, int32_t from, bool loop, int32_t start,
                      int32_t end);
    AEAudiofile* playFile() { return playFile_.get(); }
    // Closes the play file, destroying its processors and emptying every slot; the play
    // position plus the playback offset becomes the position, which is returned.
    int32_t closePlayFile();

    // --- Recording ----------------------------------------------------------------------
    // Creates filePath as a new recording that stops by itself at maxRecordFrames, with
    // its peak builder started. False (nothing open) when the file cannot be created.
    bool openRecordFile(std::function<void()> endHandler);
    AEAudiofile* recordFile() { return recordFile_.get(); }
    // The recording's peaks so far (null while not recording).
    const AEPeakData* peakBuilder() const { return peakBuilder_.get(); }
    // Adds frames the record file holds now to the peak builder.
    void addPeaks(const int16_t* samples, int32_t frames);
    // Writes the peak file and closes the recording; false when either failed.
    bool closeRecordFile();

    // --- Values -------------------------------------------------------------------------
    const std::string& filePath() const { return filePath_; }
    void setFilePath(std::string path) { filePath_ = std::move(path); }
    int32_t position() const { return position_; }
    void setPosition(int32_t frame) { position_ = frame; }
    int32_t playbackOffset() const { return playbackOffset_; }
    void setPlaybackOffset(int32_t frames) { playbackOffset_ = frames; }
    int64_t maxRecordFrames() const { return maxRecordFrames_; }
    void setMaxRecordFrames(int64_t frames) { maxRecordFrames_ = frames; }

private:
    void attach(ProcessorChain& chain, int32_t slot) const;

    std::unique_ptr<AEAudiofile> playFile_;
    std::array<bool, kSlots> present_{};
    std::array<float, kSlots> values_{};
    std::array<int32_t, 4> fades_{-1, -1, -1, -1};
    RestorationMode mode_ = kDefaultRestorationMode;
    int32_t position_ = 0;
    std::unique_ptr<AEAudiofile> recordFile_;
    std::unique_ptr<AEPeakData> peakBuilder_;
    std::string filePath_;
    // The file being recorded, as the journal of recordings in progress knows it.
    std::string recordPath_;
    int64_t maxRecordFrames_ = 0;
    int32_t playbackOffset_ = 0;
};
