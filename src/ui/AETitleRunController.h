#pragma once

#include "AEBusyGuard.h"
#include "AETitleRuns.h"

#include <cstdint>
#include <optional>
#include <thread>
#include <vector>

class AEApplication;
class AEMainWindow;

// The window's title runs (processing, normalizing) and the thread they run on. start()
// stops the transport, marks the program busy and plans the runs on the window thread
// (AETitleBatch: what each run needs of its title, its new file's name claimed); the
// worker then runs them without touching the project. Each title's outcome comes back in
// message 22, which the application applies to the project before the redraw; the run's
// last message (11, or 26 when cancelled) reaches finish(), which collects the thread and
// frees the program. Window thread only.
class AETitleRunController {
public:
    AETitleRunController(AEApplication& app, AEMainWindow& window);
    // Waits for a run still going; its outcomes are then never applied.
    ~AETitleRunController();
    AETitleRunController(const AETitleRunController&) = delete;
    AETitleRunController& operator=(const AETitleRunController&) = delete;

    // Starts the runs of `indices` (a loudness run aims at `loudness`); false (nothing
    // done) while one is going.
    bool start(AETitleRunKind kind, const std::vector<int32_t>& indices,
               const LoudnessTarget& loudness = {});
    // The run's last message has arrived: its thread ends, the program is free again.
    void finish();
    bool running() const { return busy_.has_value(); }

private:
    void join();

    AEApplication& app_;
    AEMainWindow& window_;
    std::thread worker_;
    std::optional<AEBusyGuard> busy_;
};
