#include "AEWaveformPeaks.h"

#include "AEBackgroundJob.h"
#include "AEPeakData.h"
#include "ProjectHost.h"

#include "AppHost.h"
#include "AudioFile.h"

// What one worker computes; it is touched by the worker alone until the job has finished.
struct AEWaveformPeaks::Build {
    std::string path;
    std::unique_ptr<AudioFile> file;
    std::unique_ptr<AEPeakData> peaks;
    bool ok = false;
};

AEWaveformPeaks::AEWaveformPeaks() = default;

AEWaveformPeaks::~AEWaveformPeaks() {
    job_.reset();
}

const AEPeakData* AEWaveformPeaks::data() const {
    return state_ == State::kReady ? peaks_.get() : nullptr;
}

void AEWaveformPeaks::reset() {
    path_.clear();
    state_ = State::kNone;
    peaks_.reset();
    file_.reset();
}

AEWaveformPeaks::State AEWaveformPeaks::request(const std::string& audioPath) {
    if (audioPath == path_ && state_ != State::kNone) {
        return state_;
    }
    reset();
    path_ = audioPath;
    if (path_.empty()) {
        return state_;
    }
    auto file = std::make_unique<AudioFile>(path_);
    auto peaks = std::make_unique<AEPeakData>(file.get());
    if (peaks->load()) {
        file_ = std::move(file);
        peaks_ = std::move(peaks);
        state_ = State::kReady;
        return state_;
    }
    state_ = State::kBuilding;
    if (!job_) {
        startBuild();
    }
    return state_;
}

void AEWaveformPeaks::startBuild() {
    build_ = std::make_unique<Build>();
    build_->path = path_;
    build_->file = std::make_unique<AudioFile>(path_);
    build_->peaks = std::make_unique<AEPeakData>(build_->file.get());
    Build* build = build_.get();
    // The refresh is posted once the job counts as finished, so collect() takes it.
    job_ = std::make_unique<AEBackgroundJob>(
        [build] {
            build->ok = build->peaks->compute();
            return build->ok ? 1 : 0;
        },
        AppHost::kTagRefreshWaveform);
}

bool AEWaveformPeaks::collect() {
    if (!job_ || !job_->finished()) {
        return false;
    }
    job_.reset();
    std::unique_ptr<Build> done = std::move(build_);
    if (state_ != State::kBuilding) {
        return false;
    }
    if (done->path != path_) {
        // The view moved on to another file meanwhile: compute that one now.
        startBuild();
        return false;
    }
    if (done->ok && done->peaks->isValid()) {
        file_ = std::move(done->file);
        peaks_ = std::move(done->peaks);
        state_ = State::kReady;
    } else {
        state_ = State::kFailed;
    }
    return true;
}

void AEWaveformPeaks::waitForBuild() {
    while (job_) {
        job_->wait();
        collect();
    }
}
