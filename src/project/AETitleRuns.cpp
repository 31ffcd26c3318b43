#include "AETitleRuns.h"

#include "AEFileManager.h"
#include "AENormalizingRun.h"
#include "AEProcessingRun.h"
#include "AEProject.h"
#include "AppHost.h"
#include "ProjectHost.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <numeric>
#include <thread>

namespace {

constexpr auto kProgressInterval = std::chrono::milliseconds(100);

// A title has new audio: the window redraws and takes its new length.
void titleChanged(AEProject& project, int32_t index) {
    ProjectHost::post(AppHost::kTagRedraw);
    if (AETitle* title = project.title(index)) {
        title->setLength(std::max(AEFileManager::framesOf(title->currentAudioPath()), 0));
    }
    ProjectHost::post(AppHost::kTagProcessingEnded);
}

void finish(AETitleRunsSummary& summary) {
    summary.cancelled = ProjectHost::cancelRequested();
    ProjectHost::post(AppHost::kTagRedraw);
    ProjectHost::post(summary.cancelled ? AppHost::kTagEndOfProcessing : AppHost::kTagProcessed);
}

// Runs titles on worker threads and forwards their block counts to the one progress
// display from the calling thread.
class ParallelRuns {
public:
    ParallelRuns(AEProject& project, const std::string& projectPath,
                 const std::vector<int32_t>& indices, AETitleRunsSummary& summary)
        : project_(project), projectPath_(projectPath), indices_(indices), summary_(summary) {}

    void run(int32_t jobs) {
        int64_t total = 0;
        for (int32_t index : indices_) {
            if (const AETitle* title = project_.title(index)) {
                total += plannedBlocks(*title);
            }
        }
        ProjectHost::Progress display(total);
        std::vector<std::thread> workers;
        running_ = jobs;
        for (int32_t j = 0; j < jobs; ++j) {
            workers.emplace_back([this] { work(); });
        }
        int64_t shown = 0;
        auto forward = [&] {
            const int64_t done = steps_.load(std::memory_order_relaxed);
            display.advance(done - shown);
            shown = done;
        };
        {
            std::unique_lock lock(mutex_);
            while (running_ > 0) {
                ended_.wait_for(lock, kProgressInterval);
                forward();
            }
        }
        for (auto& worker : workers) {
            worker.join();
        }
        forward();
    }

private:
    void work() {
        for (;;) {
            const size_t i = next_.fetch_add(1);
            if (i >= indices_.size() || stop_.load() || ProjectHost::cancelRequested()) {
                break;
            }
            const AERunResult result = processTitle(project_, indices_[i], projectPath_, &steps_);
            summary_.results[i] = result;
            if (result == AERunResult::kDone) {
                titleChanged(project_, indices_[i]);
            } else if (result == AERunResult::kNoRoom) {
                stop_ = true;
            }
        }
        std::lock_guard lock(mutex_);
        --running_;
        ended_.notify_all();
    }

    AEProject& project_;
    const std::string& projectPath_;
    const std::vector<int32_t>& indices_;
    AETitleRunsSummary& summary_;
    std::atomic<size_t> next_{0};
    std::atomic<int64_t> steps_{0};
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::condition_variable ended_;
    int32_t running_ = 0;
};

} // namespace

int32_t AETitleRunsSummary::count(AERunResult result) const {
    return static_cast<int32_t>(std::count(results.begin(), results.end(), result));
}

std::vector<int32_t> allTitles(const AEProject& project) {
    std::vector<int32_t> indices(static_cast<size_t>(project.titleCount()));
    std::iota(indices.begin(), indices.end(), 0);
    return indices;
}

AETitleRunsSummary processTitles(AEProject& project, const std::string& projectPath,
                                 const std::vector<int32_t>& indices, int32_t jobs) {
    AETitleRunsSummary summary;
    // A title that never started counts as cancelled.
    summary.results.assign(indices.size(), AERunResult::kCancelled);
    ProjectHost::setCancelRequested(false);
    const auto titles = static_cast<int32_t>(indices.size());
    if (titles > 0) {
        ParallelRuns(project, projectPath, indices, summary).run(std::clamp(jobs, 1, titles));
    }
    finish(summary);
    return summary;
}

AETitleRunsSummary normalizeTitles(AEProject& project, const std::string& projectPath,
                                   const std::vector<int32_t>& indices) {
    AETitleRunsSummary summary;
    summary.results.assign(indices.size(), AERunResult::kCancelled);
    ProjectHost::setCancelRequested(false);
    for (size_t i = 0; i < indices.size() && !ProjectHost::cancelRequested(); ++i) {
        summary.results[i] = normalizeTitle(project, indices[i], projectPath);
        if (summary.results[i] == AERunResult::kDone) {
            titleChanged(project, indices[i]);
        } else if (summary.results[i] == AERunResult::kNoRoom) {
            break;
        }
    }
    finish(summary);
    return summary;
}
