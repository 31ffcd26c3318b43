#pragma once

// Helpers of the project tests: WAVE fixtures of a given length, project files built
// record by record (also malformed ones), an application host that records what the
// project subsystem asks of it, an engine probe, and a limit that makes the disk look full.

#include "AEEngineAccess.h"
#include "AppHost.h"
#include "support/TestDirs.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

class AEProject;

namespace ProjectTest {

constexpr int32_t kSevenSeconds = 308700;

// A 44.1 kHz 16-bit stereo WAVE file of `frames` frames: a left/right pair of sines.
void writeWave(const std::string& path, int32_t frames);
// Interleaved stereo test audio: a 441 Hz sine on the left, noise on the right.
std::vector<int16_t> testSignal(int32_t frames, uint32_t seed = 1);
void writeWaveSamples(const std::string& path, const std::vector<int16_t>& samples);

// A project file image, record by record, little-endian.
class RecordImage {
public:
    RecordImage& text(const char* tag, const std::string& text);
    // A text record whose length field says `length`, followed by `body`.
    RecordImage& rawText(const char* tag, uint32_t length, const std::string& body);
    RecordImage& integer(const char* tag, int32_t value);
    RecordImage& flag(const char* tag, bool value);
    RecordImage& header(uint32_t type, const char* tag);
    RecordImage& u32(uint32_t value);
    // "Vers", "Titl", "Numt", "Bdir".
    RecordImage& projectHeader(int32_t version, int32_t count, const std::string& base = "/tmp/");
    // A whole title block as the program writes it.
    RecordImage& titleBlock(int32_t index, const std::string& audioBase,
                            const std::string& pause = "2", const std::string& source = "x.wav",
                            int32_t state = 0, const std::string& processed = "not yet processed");
    const std::string& bytes() const { return bytes_; }
    void save(const std::string& path) const;

private:
    std::string bytes_;
};

inline std::string readFile(const std::string& path) {
    return fileText(path);
}
void writeFile(const std::string& path, const std::string& bytes);

// The one application host of the tests, without a window: string `id` reads "S<id>" (so a
// test sees which language-adjusted id was asked for); messages and log lines are recorded
// from whatever thread sends them; progress is counted. `cancelOnRefresh` cancels at the
// first refresh message (posted every tenth block of a run).
class RecordingHost : public AppHost {
public:
    RecordingHost() { AppHost::setCurrent(this); }
    ~RecordingHost() override { AppHost::setCurrent(nullptr); }

    void postAppMessage(int32_t tag, int32_t data, int32_t, FRef<FShared> obj) override;
    int32_t stringId(int32_t id, int32_t mode) const override {
        return mode == 0 ? id + languageOffset : id;
    }
    const char* loadString(int32_t id) override;
    bool isBusy() const override { return busy; }
    void setBusy(bool on) override { busy = on; }
    bool cancelRequested() const override { return cancel; }
    void setCancelRequested(bool on) override { cancel = on; }
    // Records the question (and whether the application was busy meanwhile) and answers
    // `answer`.
    bool askYesNo(int32_t id) override {
        questions.push_back(id);
        busyWhileAsked = busy;
        return answer;
    }
    void log(const char* text) override {
        std::lock_guard lock(mutex_);
        logLines.emplace_back(text);
    }
    void progressBegin(int64_t steps) override;
    void progressAdvance(int64_t steps) override {
        progressValue += steps;
        if (onAdvance) {
            onAdvance(progressValue);
        }
    }
    void progressEnd() override { ++progressEnds; }

    // Tags of the messages posted so far, in order; how often `tag` was posted; waiting
    // until it has been posted `times` times.
    std::vector<int32_t> tags() const;
    int count(int32_t tag) const;
    bool waitFor(int32_t tag, int times, std::chrono::milliseconds timeout);

    struct Message {
        int32_t tag;
        int32_t data;
        std::string text;
        FRef<FShared> object;
    };
    // Applies the outcomes the messages carry to `project`, as the window does when it
    // handles them, and lets go of them (and so of the busy state they hold).
    void applyOutcomes(AEProject& project);
    std::vector<Message> messages;
    std::vector<std::string> logLines;
    std::deque<std::string> strings;
    int32_t languageOffset = 0;
    std::atomic<bool> busy{false};
    std::atomic<bool> cancel{false};
    std::atomic<bool> cancelOnRefresh{false};
    bool answer = false;
    bool busyWhileAsked = false;
    std::vector<int32_t> questions;
    // Called after each progress step with the steps so far (e.g. to cancel midway).
    std::function<void(int64_t)> onAdvance;
    int64_t progressMaximum = 0;
    int64_t progressValue = 0;
    int progressBegins = 0;
    int progressEnds = 0;

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
};

// The engine as far as the project sees it: playing or not, and what it was told to load.
struct EngineProbe : AEEngineAccess {
    EngineProbe() { AEEngineAccess::setCurrent(this); }
    ~EngineProbe() override { AEEngineAccess::setCurrent(nullptr); }
    bool isPlayingOrRecording() const override { return playing; }
    bool loadTitle(int32_t index) override {
        loaded.push_back(index);
        return true;
    }
    bool playing = false;
    std::vector<int32_t> loaded;
};

// While it exists, files of this process cannot grow beyond `bytes`: writes past it fail
// as on a full disk (the signal that would end the process is ignored meanwhile).
class FileSizeLimit {
public:
    explicit FileSizeLimit(int64_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    unsigned long previous_ = 0;
    bool limited_ = false;
    void (*previousHandler_)(int) = nullptr;
};

} // namespace ProjectTest
