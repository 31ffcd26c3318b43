#pragma once

// Helpers of the processing and normalizing run tests: a thread-safe application host,
// reading a result back, titles made from generated audio, the files of a folder.

#include "AEAudiofile.h"
#include "AEProject.h"
#include "ProjectTestSupport.h"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

namespace RunTest {

// The recording host, safe for runs on several threads at once; it can cancel on the
// first refresh message (posted every tenth block of a run).
class Host : public ProjectTest::RecordingHost {
public:
    void postAppMessage(int32_t tag, int32_t data, int32_t data2, FRef<FShared> obj) override {
        std::lock_guard lock(mutex_);
        RecordingHost::postAppMessage(tag, data, data2, std::move(obj));
        if (tag == 18 && cancelOnRefresh) {
            cancel_ = true;
        }
    }
    bool cancelRequested() const override { return cancel_; }
    void setCancelRequested(bool on) override { cancel_ = on; }
    std::vector<int32_t> tags() {
        std::lock_guard lock(mutex_);
        return ProjectTest::messageTags(*this);
    }

    std::atomic<bool> cancelOnRefresh{false};

private:
    std::mutex mutex_;
    std::atomic<bool> cancel_{false};
};

// All frames of a file as interleaved 16-bit stereo; empty when it cannot be read.
inline std::vector<int16_t> readStereo(const std::string& path) {
    AEAudiofile file(path);
    if (!file.openForRead()) {
        return {};
    }
    std::vector<int16_t> samples(2 * static_cast<size_t>(file.getLength()));
    if (!samples.empty() && file.readStereo(samples.data(), file.getLength()) != file.getLength()) {
        return {};
    }
    return samples;
}

// Adds a title for a new file `name`.wav in `directory` holding `samples`, as an import
// does (no trim, no fades, all switches off).
inline AETitle& importTitle(AEProject& project, const std::string& directory,
                            const std::string& name, const std::vector<int16_t>& samples) {
    const std::string path = directory + "/" + name + ".wav";
    ProjectTest::writeWaveSamples(path, samples);
    project.addImportedFile(path);
    return *project.title(project.titleCount() - 1);
}

// Switches stage `slot` of the title on with slider position `position`.
inline void setStage(AETitle& title, int slot, int32_t position) {
    title.setProcessorParam(slot, position);
    title.setProcessorEnabled(slot, true);
}

// The names of the files in `directory`, sorted.
inline std::vector<std::string> filesIn(const std::string& directory) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(directory)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace RunTest
