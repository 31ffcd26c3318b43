#pragma once

// What the application asks of its user interface, answered by the test: message boxes
// (alerts recorded, questions answered with `answer`) and the main window's hooks, each
// call noted by name ("recordingStopped 1", "showTitle 7", ...).

#include "AEUserInterface.h"

#include <string>
#include <vector>

class ScriptedDialogs : public AEDialogs {
public:
    void alert(const std::string& text, bool owned) override {
        alerts.push_back(text);
        ownedFlags.push_back(owned);
    }
    bool askYesNo(const std::string& text) override {
        questions.push_back(text);
        return answer;
    }
    std::vector<std::string> alerts;
    std::vector<bool> ownedFlags;
    std::vector<std::string> questions;
    bool answer = true;
};

class RecordingWindow : public AEMainWindowHooks {
public:
    void end() override { calls.push_back("end"); }
    void stoppedState() override { calls.push_back("stopped"); }
    void endOfOperationRefresh() override { calls.push_back("endOfOperation"); }
    void recordingStopped(int32_t index) override {
        calls.push_back("recordingStopped " + std::to_string(index));
    }
    void processedStateRefresh() override { calls.push_back("processed"); }
    void resetWaveformStates() override { calls.push_back("resetWaveform"); }
    void redraw() override { calls.push_back("redraw"); }
    void setBusyState(int32_t state) override { calls.push_back("busy " + std::to_string(state)); }
    void endOfProcessingRefresh() override { calls.push_back("endOfProcessing"); }
    void refreshWaveform() override { calls.push_back("refreshWaveform"); }
    void showTitle(int32_t n) override { calls.push_back("showTitle " + std::to_string(n)); }
    void freeSpaceChanged() override { calls.push_back("freeSpace"); }
    void raise() override { calls.push_back("raise"); }
    int32_t showStartDialog(bool) override { return startChoice; }
    void newProject() override { calls.push_back("newProject"); }
    void openProject() override { calls.push_back("openProject"); }
    void openProjectFromPath(const std::string& path) override {
        calls.push_back("openPath " + path);
    }
    // The calls that begin with `name`.
    std::vector<std::string> callsOf(const std::string& name) const {
        std::vector<std::string> found;
        for (const auto& call : calls) {
            if (call.rfind(name, 0) == 0) {
                found.push_back(call);
            }
        }
        return found;
    }
    std::vector<std::string> calls;
    int32_t startChoice = 0;
};
