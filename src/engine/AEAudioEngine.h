#pragma once

#include "AEAudioDevice.h"
#include "AELevelMeters.h"
#include "AERecordLimit.h"
#include "AERecordingDropouts.h"
#include "AETransport.h"
#include "AEVolumes.h"

#include "AEEngineAccess.h"
#include "AEProcessorHost.h"
#include "ProcessorSwitches.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

class AEFileManager;

// The one audio engine of the program. Its worker thread wakes at least every 20 ms and
// moves buffers between the device and the transport's files: while playing, each output
// buffer is read from the play file, restored by its processors, scaled by the output
// volume, measured and queued; while recording, each input buffer is scaled by the input
// volume, written to the record file (which stops the recording by itself at its limit or
// when the disk is full) and added to its peak data; while idle, the input is drained.
//
// The main thread calls the transport operations; they and the worker's turns take the
// engine's lock, so a switch of the device never meets a buffer half-way. Neither side
// holds it for long: a turn is a few buffers, a switch a few hundred milliseconds. The
// device's callbacks never take it. Meters, clip flags, load and position are atomics any
// thread may read.
//
// Application messages: 5 when playback ends or the transport stops, 6 when a recording
// is stopped (its dropouts and the milliseconds they lost as data and data2). Each dropout
// of a recording goes to the run log with its place in the recording.
class AEAudioEngine : public AEProcessorHost, public AEDeviceClient, public AEEngineAccess {
public:
    enum State : int32_t {
        kIdle = 0,
        kPlaying = 1,
        kRecording = 2,
        kPlayingRange = 3,
        kClosing = 4,
    };
    static constexpr int32_t kPollMilliseconds = 20;
    // Load = time of a turn × 140 / the duration of one buffer.
    static constexpr int32_t kLoadScale = 140;

    struct BufferSettings {
        int32_t numPlayBuffers = 4;
        int32_t numRecBuffers = 4;
        int32_t playBufferSize = 32768;
        int32_t recBufferSize = 32768;
        int playDevice = 0;
        int recDevice = 0;
    };

    // Tells `device` about itself and becomes the engine the project subsystem reaches.
    // The processors of playback read `switches` (a set of its own when none is given).
    explicit AEAudioEngine(AEAudioDevice& device,
                           std::shared_ptr<ProcessorSwitches> switches = nullptr);
    // Stops the worker; a recording still running is completed (file and peak file).
    ~AEAudioEngine() override;
    // Stops the worker, completes the transport's files and forgets the device, which is
    // about to go; the engine is of no more use afterwards.
    void detachDevice();

    // --- Worker -----------------------------------------------------------------------
    bool startThread();
    // Ends the worker and waits for it.
    void stopThread();
    // Tells the worker to end at its next wake-up, without waiting (a quit request).
    void requestThreadStop();
    bool threadRunning() const { return threadRunning_.load(); }

    // --- Transport ----------------------------------------------------------------------
    // Plays filePath from the position to its end. False, the input running again, when
    // the file cannot be opened or the device will not play.
    bool play();
    // Loops [start, end) from `from` (start when −1); `keepMeters` leaves the meters as
    // they are.
    bool playRange(int32_t start, int32_t end, int32_t from = -1, bool keepMeters = false);
    // Records the input into a new file at filePath, until stop or the record limit.
    bool record();
    // The worker stops at its next buffer.
    void requestStop() { endReached_.store(true); }
    // Stops playing or recording and returns the position.
    int32_t stop();
    // The recording's peaks gathered into `columns` view columns of `step` blocks each
    // from block `first` (PeakColumns), 4 bytes a column into `out`; the columns filled,
    // 0 while not recording.
    int32_t recordingPeaks(int64_t first, int64_t step, int32_t columns, int8_t* out) const;
    // While recording the frames recorded, otherwise the play position.
    int32_t position() const { return shownPosition_.load(); }
    void seek(int32_t frame);
    int32_t state() const { return state_.load(); }
    bool isBusy() const { return state() != kIdle; }
    bool isPlayingOrRecording() const override;

    // The file play and record use: title `index`'s current audio file, or none for −1.
    bool loadTitle(int32_t index) override;
    void setFileManager(const AEFileManager* files);
    void setFilePath(std::string path);
    std::string filePath() const;

    // The title's fade points; the range becomes start..end. (−1, −1, −1, −1) clears them.
    void setRange(int32_t start, int32_t fadeInEnd, int32_t fadeOutStart, int32_t end);
    void setRangeStart(int32_t frame);
    void setRangeEnd(int32_t frame);
    int32_t rangeStart() const { return rangeStart_.load(); }
    int32_t rangeEnd() const { return rangeEnd_.load(); }
    // Where the playing file stops (only inside the file).
    void setPlayStop(int32_t frame);
    void setPlaybackOffset(int32_t frames);

    // Slot 0..7 holds a processor made with `value` (a playing file gets it at once).
    bool createProcessor(int32_t slot, float value);
    // Makes the slot's processor with its last value, or removes it.
    void enableProcessor(int32_t slot, bool on);
    // Classic or enhanced repair stages in slots 0..2, for playback now and later.
    void setRestorationMode(RestorationMode mode);
    RestorationMode restorationMode() const;
    const std::shared_ptr<ProcessorSwitches>& playbackSwitches() const { return switches_; }

    // Where a recording stops by itself: `frames` (the room on the drive, or a time
    // limit), capped at what a WAVE file can hold. Returns the limit kept.
    AERecordLimit
    setMaxRecordFrames(int64_t frames,
                       AERecordLimit::Reason reason = AERecordLimit::Reason::kDiskSpace);
    AERecordLimit recordLimit() const;
    // While recording, the dropouts so far; afterwards, those of the last recording.
    AERecordingDropouts::Totals recordingDropouts() const { return dropouts_.totals(); }

    // --- Device -----------------------------------------------------------------------
    bool startInput();
    // Stops the transport and the worker, reopens the device with `settings` and starts
    // the worker again (and the input, when it ran). False when the device did not open.
    bool reconfigure(const BufferSettings& settings);
    // The device stopped by itself during playback or recording (which then stopped).
    bool deviceLost() const { return deviceLost_.load(); }

    // --- Meters, volumes, load ---------------------------------------------------------
    AELevelMeters& meters() { return meters_; }
    const AELevelMeters& meters() const { return meters_; }
    int32_t meter(AELevelMeters::Meter which) const { return meters_.value(which); }
    bool clipFlag(int32_t channel) const { return meters_.clipFlag(channel); }
    void setMetersEnabled(bool on);
    AEVolumes& volumes() { return volumes_; }
    int32_t load() const { return load_.load(); }
    // The longest turn of the worker since the last reset, in microseconds.
    int64_t longestTurnMicros() const { return longestTurn_.load(); }
    void resetTurnStats() { longestTurn_.store(0); }

    // --- Device client and source ---------------------------------------------------------
    void bufferDone(int32_t index) override;
    int32_t lastDoneIndex() const { return lastDoneIndex_.load(); }
    // As the source while recording: the record file (slot 0) writes the frames.
    void processBuffer(int16_t* samples, int32_t frames) override;

private:
    bool beginPlay(bool loop, int32_t start, int32_t end, int32_t from, bool keepMeters);
    // Both under the lock.
    int32_t stopLocked();
    void turn();
    void playTurn();
    void recordTurn();
    void handleLostDevice();
    // Under the lock: the device's ended dropouts to the recording's.
    void collectDropouts();
    void run();
    void closeFiles();

    AEAudioDevice& device_;
    bool deviceAttached_ = true;
    std::shared_ptr<ProcessorSwitches> switches_;
    AETransport transport_;
    AELevelMeters meters_;
    AEVolumes volumes_;
    const AEFileManager* files_ = nullptr;

    mutable std::mutex mutex_; // the transport, the device's modes and buffers
    std::atomic<int32_t> state_{kIdle};
    std::atomic<bool> endReached_{false};
    std::atomic<AEProcessorHost*> source_{nullptr};
    std::atomic<AEAudiofile*> recordSlot_{nullptr};
    std::atomic<int32_t> shownPosition_{0};
    std::atomic<int32_t> rangeStart_{-1};
    std::atomic<int32_t> rangeEnd_{-1};
    AERecordLimit limit_;
    AERecordingDropouts dropouts_;
    bool inputWanted_ = false;
    std::atomic<bool> deviceLost_{false};

    std::atomic<int32_t> lastDoneIndex_{0};
    std::atomic<bool> bufferDone_{false};
    std::atomic<int32_t> load_{0};
    std::atomic<int64_t> longestTurn_{0};

    std::thread thread_;
    std::atomic<bool> threadRunning_{false};
    std::atomic<bool> stopRequested_{false};
    std::mutex wakeMutex_;
    std::condition_variable wake_;
    bool woken_ = false;
};
