#include "AETitleRuns.h"

#include "AELoudnessRun.h"
#include "AENormalizingRun.h"
#include "AEProcessingRun.h"
#include "AEProject.h"
#include "AppHost.h"
#include "ProjectHost.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <numeric>
#include <thread>

namespace {

constexpr auto kProgressInterval = std::chrono::milliseconds(100);

// A title has new audio: its report, its outcome, and the window redraws.
void titleDone(const FRef<AETitleRunOutcome>& outcome, const AETitleOutcomeDelivery& deliver) {
    if (!outcome->status.empty()) {
        ProjectHost::showStatus(outcome->status);
    }
    deliver(outcome);
    ProjectHost::post(AppHost::kTagProcessingEnded);
}

void finish(AETitleRunsSummary& summary) {
    summary.cancelled = ProjectHost::cancelRequested();
    ProjectHost::post(AppHost::kTagRedraw);
    ProjectHost::post(summary.cancelled ? AppHost::kTagEndOfProcessing : AppHost::kTagProcessed);
}

// Runs the processing plans on worker threads; the calling thread forwards their block
// counts to the one progress display and hands on each outcome as its title is done.
class ParallelRuns {
public:
    ParallelRuns(AETitleBatch& batch, AETitleRunsSummary& summary,
                 const AETitleOutcomeDelivery& deliver)
        : plans_(batch.plans), summary_(summary), deliver_(deliver), outcomes_(batch.plans.size()) {
    }

    void run(int32_t jobs) {
        int64_t total = 0;
        for (const AETitleRunPlan& plan : plans_) {
            total += plan.refused == AERunResult::kDone ? plan.blocks : 0;
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
        std::unique_lock lock(mutex_);
        for (;;) {
            while (!done_.empty()) {
                const size_t i = done_.front();
                done_.pop_front();
                lock.unlock();
                handOn(i);
                lock.lock();
            }
            if (running_ == 0) {
                break;
            }
            changed_.wait_for(lock, kProgressInterval);
            forward();
        }
        lock.unlock();
        for (auto& worker : workers) {
            worker.join();
        }
        forward();
    }

private:
    void work() {
        for (;;) {
            const size_t i = next_.fetch_add(1);
            if (i >= plans_.size() || stop_.load() || ProjectHost::cancelRequested()) {
                break;
            }
            outcomes_[i] = runProcessing(plans_[i], &steps_);
            if (outcomes_[i]->result == AERunResult::kNoRoom) {
                stop_ = true;
            }
            std::lock_guard lock(mutex_);
            done_.push_back(i);
            changed_.notify_all();
        }
        std::lock_guard lock(mutex_);
        --running_;
        changed_.notify_all();
    }

    void handOn(size_t i) {
        summary_.results[i] = outcomes_[i]->result;
        if (outcomes_[i]->result == AERunResult::kDone) {
            titleDone(outcomes_[i], deliver_);
        }
    }

    std::vector<AETitleRunPlan>& plans_;
    AETitleRunsSummary& summary_;
    const AETitleOutcomeDelivery& deliver_;
    // Each slot written by the worker that ran its title, read once that title is done.
    std::vector<FRef<AETitleRunOutcome>> outcomes_;
    std::atomic<size_t> next_{0};
    std::atomic<int64_t> steps_{0};
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<size_t> done_;
    int32_t running_ = 0;
};

void normalizeInOrder(AETitleBatch& batch, AETitleRunsSummary& summary,
                      const AETitleOutcomeDelivery& deliver) {
    for (size_t i = 0; i < batch.plans.size() && !ProjectHost::cancelRequested(); ++i) {
        const FRef<AETitleRunOutcome> outcome = runNormalizing(batch.plans[i]);
        summary.results[i] = outcome->result;
        if (outcome->result == AERunResult::kDone) {
            titleDone(outcome, deliver);
        } else if (outcome->result == AERunResult::kNoRoom) {
            break;
        }
    }
}

AETitleRunsSummary runHere(AETitleRunKind kind, AEProject& project, const std::string& projectPath,
                           const std::vector<int32_t>& indices, int32_t jobs,
                           const LoudnessTarget& loudness = {}) {
    AETitleBatch batch = planTitleRuns(kind, project, projectPath, indices, loudness);
    return runTitleBatch(batch, jobs, [&project](const FRef<AETitleRunOutcome>& outcome) {
        outcome->apply(project);
        ProjectHost::post(AppHost::kTagRedraw);
    });
}

} // namespace

int32_t AETitleRunsSummary::count(AERunResult result) const {
    return static_cast<int32_t>(std::count(results.begin(), results.end(), result));
}

std::vector<int32_t> allTitles(const AEProject& project) {
    std::vector<int32_t> indices(static_cast<size_t>(project.titleCount()));
    std::iota(indices.begin(), indices.end(), 0);
    return indices;
}

AETitleBatch planTitleRuns(AETitleRunKind kind, const AEProject& project,
                           const std::string& projectPath, const std::vector<int32_t>& indices,
                           const LoudnessTarget& loudness) {
    ProjectHost::setCancelRequested(false);
    AETitleBatch batch;
    batch.kind = kind;
    batch.loudness = loudness;
    for (const int32_t index : indices) {
        switch (kind) {
        case AETitleRunKind::kProcess:
            batch.plans.push_back(planProcessing(project, index, projectPath));
            break;
        case AETitleRunKind::kNormalize:
            batch.plans.push_back(planNormalizing(project, index, projectPath));
            break;
        case AETitleRunKind::kLoudness:
        case AETitleRunKind::kMeasureLoudness:
            batch.plans.push_back(
                planLoudness(project, index, projectPath, kind == AETitleRunKind::kLoudness));
            break;
        }
    }
    return batch;
}

void postOutcome(const FRef<AETitleRunOutcome>& outcome) {
    ProjectHost::post(AppHost::kTagRedraw, 0, outcome);
}

AETitleRunsSummary runTitleBatch(AETitleBatch& batch, int32_t jobs,
                                 const AETitleOutcomeDelivery& deliver) {
    AETitleRunsSummary summary;
    // A title that never started counts as cancelled.
    summary.results.assign(batch.plans.size(), AERunResult::kCancelled);
    const auto titles = static_cast<int32_t>(batch.plans.size());
    if (batch.kind == AETitleRunKind::kNormalize) {
        normalizeInOrder(batch, summary, deliver);
    } else if (batch.kind != AETitleRunKind::kProcess) {
        runLoudness(batch, summary, [&deliver](const FRef<AETitleRunOutcome>& outcome) {
            titleDone(outcome, deliver);
        });
    } else if (titles > 0) {
        ParallelRuns(batch, summary, deliver).run(std::clamp(jobs, 1, titles));
    }
    finish(summary);
    return summary;
}

int32_t defaultTitleJobs() {
    return static_cast<int32_t>(std::max(1u, std::thread::hardware_concurrency()));
}

AETitleRunsSummary processTitles(AEProject& project, const std::string& projectPath,
                                 const std::vector<int32_t>& indices, int32_t jobs) {
    return runHere(AETitleRunKind::kProcess, project, projectPath, indices, jobs);
}

AETitleRunsSummary normalizeTitles(AEProject& project, const std::string& projectPath,
                                   const std::vector<int32_t>& indices) {
    return runHere(AETitleRunKind::kNormalize, project, projectPath, indices, 1);
}

AETitleRunsSummary loudnessTitles(AETitleRunKind kind, AEProject& project,
                                  const std::string& projectPath,
                                  const std::vector<int32_t>& indices,
                                  const LoudnessTarget& target) {
    return runHere(kind, project, projectPath, indices, 1, target);
}
