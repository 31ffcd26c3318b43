#pragma once

#include <cstdint>
#include <memory>
#include <string>

class AEBackgroundJob;
class AEPeakData;
class AudioFile;

// The peaks the waveform view draws from, for one audio file at a time. The peak file is
// read at once; when there is none the peaks are computed from the audio on a worker
// thread (with the application's progress display), so the window never waits for audio
// and drawing never reads it. The worker posts "refresh waveform" when it is done; the
// view then calls collect().
class AEWaveformPeaks {
public:
    enum class State { kNone, kReady, kBuilding, kFailed };

    AEWaveformPeaks();
    // Waits for a worker still computing.
    ~AEWaveformPeaks();
    AEWaveformPeaks(const AEWaveformPeaks&) = delete;
    AEWaveformPeaks& operator=(const AEWaveformPeaks&) = delete;

    // Asks for the peaks of `audioPath` ("" forgets them). A worker still computing for
    // another file finishes first; collect() then starts the one asked for.
    State request(const std::string& audioPath);
    // Takes the result of a finished worker; true when the state changed.
    bool collect();
    // Waits for a running worker and collects it (tests, benchmarks).
    void waitForBuild();
    // Forgets the peaks, so the next request reads them again.
    void reset();

    State state() const { return state_; }
    const std::string& path() const { return path_; }
    // The peaks when the state is kReady, else null.
    const AEPeakData* data() const;

private:
    struct Build;
    void startBuild();

    std::string path_;
    State state_ = State::kNone;
    std::unique_ptr<AudioFile> file_;
    std::unique_ptr<AEPeakData> peaks_;
    std::unique_ptr<Build> build_;
    std::unique_ptr<AEBackgroundJob> job_;
};
