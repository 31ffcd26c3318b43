#include "AETitleRunController.h"

#include "AEApplication.h"
#include "AEMainView.h"
#include "AEMainWindow.h"

AETitleRunController::AETitleRunController(AEApplication& app, AEMainWindow& window)
    : app_(app), window_(window) {}

AETitleRunController::~AETitleRunController() {
    join();
}

bool AETitleRunController::start(AETitleRunKind kind, const std::vector<int32_t>& indices,
                                 const LoudnessTarget& loudness) {
    AEProject* project = app_.project();
    if (busy_ || !project) {
        return false;
    }
    window_.stopTransport();
    window_.view().setProcessing(true);
    busy_.emplace();
    join();
    worker_ = std::thread(
        [batch = planTitleRuns(kind, *project, app_.projectPath(), indices, loudness)]() mutable {
            runTitleBatch(batch, defaultTitleJobs(), postOutcome);
        });
    return true;
}

void AETitleRunController::finish() {
    join();
    busy_.reset();
    window_.view().setProcessing(false);
}

void AETitleRunController::join() {
    if (worker_.joinable()) {
        worker_.join();
    }
}
