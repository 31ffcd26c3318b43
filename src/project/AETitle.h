#pragma once

#include "AETitleProcessState.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

// One title of a project: one future track of the disc. It names its audio files (the
// recording without ".wav" as audioBase, the processed copy as processedPath), and holds
// its trim and fade points, pause, texts and restoration settings. Positions are frames.
//
// Window thread only, as its project; a worker reads a snapshot and returns its outcome.
class AETitle {
public:
    static constexpr int kSlots = 6;
    static constexpr int kFadePoints = 4;
    static constexpr int kMarkers = 3;
    // A title still at the default zoom has not been zoomed by the user: the waveform
    // view shows it fitted to its width.
    static constexpr int32_t kDefaultZoom = 32768;
    static constexpr const char* kNotProcessed = "not yet processed";
    static constexpr const char* kNotAvailable = "not_available";

    AETitle(int32_t fileIndex, std::string displayName, std::string artist);

    int32_t fileIndex() const { return fileIndex_; }
    void setFileIndex(int32_t index) { fileIndex_ = index; }
    const std::string& artist() const { return artist_; }
    void setArtist(std::string text) { artist_ = std::move(text); }
    const std::string& audioBase() const { return audioBase_; }
    void setAudioBase(std::string text) { audioBase_ = std::move(text); }
    const std::string& displayName() const { return displayName_; }
    void setDisplayName(std::string text) { displayName_ = std::move(text); }
    // Whole seconds "0" to "4".
    const std::string& pauseSeconds() const { return pauseSeconds_; }
    // Stores the decimal number `text` begins with (0 when none), kept within 0..4.
    void setPauseSeconds(const std::string& text);
    int32_t pauseValue() const;
    const std::string& processedPath() const { return processedPath_; }
    void setProcessedPath(std::string path) { processedPath_ = std::move(path); }

    int32_t processorParam(int slot) const { return processorParam_[slot]; }
    void setProcessorParam(int slot, int32_t value) { processorParam_[slot] = value; }
    // The stored switch; setting it sets the working copy as well.
    bool processorEnabled(int slot) const { return processorEnabled_[slot]; }
    void setProcessorEnabled(int slot, bool on);
    // The working copy the controls change while the user listens.
    bool processorEnabledWorking(int slot) const { return processorEnabledWorking_[slot]; }
    void setProcessorEnabledWorking(int slot, bool on) { processorEnabledWorking_[slot] = on; }

    int32_t fadePoint(int k) const { return fadePoints_[k]; }
    void setFadePoint(int k, int32_t frame) { fadePoints_[k] = frame; }
    const AETitleProcessState& processState() const { return processState_; }
    int32_t stateCode() const { return processState_.stateCode; }
    void setStateCode(int32_t code) { processState_.stateCode = code; }
    int32_t zoom() const { return zoom_; }
    void setZoom(int32_t zoom) { zoom_ = zoom; }
    const std::string& sourcePath() const { return sourcePath_; }
    void setSourcePath(std::string path) { sourcePath_ = std::move(path); }

    int32_t length() const { return length_; }
    void setLength(int32_t frames) { length_ = frames; }
    // The title's audio could not be found when it was last looked for (a drive away, a
    // file moved): the title stays with all it holds, but nothing plays or reads it.
    bool audioMissing() const { return audioMissing_; }
    void setAudioMissing(bool missing) { audioMissing_ = missing; }
    bool isSelected() const { return selected_; }
    void setSelected(bool selected) { selected_ = selected; }
    int32_t marker(int k) const { return markers_[k]; }
    void setMarker(int k, int32_t frame) { markers_[k] = frame; }

    // The integrated loudness (LUFS) last measured of what the title plays, which it
    // remembers with the file and trim it was measured on (not stored in the project file).
    void setLoudness(double lufs);
    // None when never measured, or the title plays other audio or another trim by now.
    std::optional<double> loudness() const;

    // The file the title plays now: its original audio, or processedPath once processed.
    std::string currentAudioPath() const;
    // The unprocessed audio: audioBase + ".wav", or the source file itself when its name
    // is audioBase with ".wav" in another letter case ("UP.WAV").
    std::string originalAudioPath() const;
    // Whether `path` is one of the files the title refers to (its original, source or
    // processed file), compared as normalised paths.
    bool refersTo(const std::string& path) const;
    // The file that must exist for the title to be kept when a project is opened.
    std::string checkPath() const;
    // Frames the title takes on the disc without its pause.
    int64_t playingLength() const;

    // True when `path` ends in ".wav" in any letter case.
    static bool hasWavExtension(const std::string& path);
    // The whole number that `text` begins with, within 0..4.
    static int32_t parsePause(const std::string& text);

private:
    int32_t fileIndex_;
    std::string artist_;
    std::string audioBase_;
    std::string displayName_;
    std::string pauseSeconds_ = "2";
    std::string processedPath_;
    std::array<int32_t, kSlots> processorParam_{};
    std::array<bool, kSlots> processorEnabled_{true, true, true, true, true, true};
    std::array<bool, kSlots> processorEnabledWorking_{true, true, true, true, true, true};
    std::array<int32_t, kFadePoints> fadePoints_{0, 44100, 88200, 132300};
    AETitleProcessState processState_;
    int32_t zoom_ = kDefaultZoom;
    std::string sourcePath_ = kNotAvailable;
    int32_t length_ = 0;
    bool selected_ = false;
    bool audioMissing_ = false;
    std::array<int32_t, kMarkers> markers_{-1, -1, -1};
    struct Loudness {
        double lufs;
        std::string path;
        std::array<int32_t, kFadePoints> fadePoints;
    };
    std::optional<Loudness> loudness_;
};
