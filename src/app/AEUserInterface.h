#pragma once

#include <cstdint>
#include <string>

// What the application asks of its user interface. The window program implements these
// with Qt widgets; gleam-cli with standard error. The application holds plain pointers
// that the interface's owner sets and clears.

// Message boxes, caption "Gleam!".
class AEDialogs {
public:
    virtual ~AEDialogs() = default;
    // `owned`: modal over the main window; otherwise without an owner.
    virtual void alert(const std::string& text, bool owned) = 0;
    // True only for Yes.
    virtual bool askYesNo(const std::string& text) = 0;
};

// The main window's operations that application messages trigger.
class AEMainWindowHooks {
public:
    virtual ~AEMainWindowHooks() = default;
    // Ends the window before a quit requested by a failed start.
    virtual void end() = 0;
    // Transport stopped (playback ended or stop pressed).
    virtual void stoppedState() = 0;
    // After a long operation: re-enable the transport and edit controls, refresh the
    // time display, restore the normal cursor and refresh the waveform.
    virtual void endOfOperationRefresh() = 0;
    // After a recording stopped: refresh title entries, the list and the current title,
    // and show the title `currentIndex` (−1: none).
    virtual void recordingStopped(int32_t currentIndex) = 0;
    virtual void processedStateRefresh() = 0;
    // Resets the waveform display's two display states, when there is a waveform.
    virtual void resetWaveformStates() = 0;
    virtual void redraw() = 0;
    // 0: a long operation starts; 1: it ended.
    virtual void setBusyState(int32_t state) = 0;
    virtual void endOfProcessingRefresh() = 0;
    virtual void refreshWaveform() = 0;
    virtual void showTitle(int32_t number) = 0;
    // A line for the status bar (what a processing run repaired); nothing by default.
    virtual void showStatus(const std::string& /*text*/) {}
    // A recording stopped having lost `dropouts` runs of input, `lostMilliseconds` in all
    // (0 and 0 for a clean one).
    virtual void showRecordingDropouts(int32_t /*dropouts*/, int32_t /*lostMilliseconds*/) {}
    virtual void freeSpaceChanged() = 0;
    // Another start asked for the window.
    virtual void raise() = 0;
    // The start choice: 1 new project, 1012 open a project, anything else nothing.
    virtual int32_t showStartDialog(bool japaneseLayout) = 0;
    virtual void newProject() = 0;
    virtual void openProject() = 0;
    virtual void openProjectFromPath(const std::string& path) = 0;
};

// The progress display of a long operation.
class AEProgressDisplay {
public:
    virtual ~AEProgressDisplay() = default;
    virtual void setText(const std::string& text) = 0;
    virtual void setValues(int32_t value, int32_t maximum) = 0;
    virtual void hide() = 0;
};

// The title list's in-place text editor.
class AEInPlaceEditor {
public:
    virtual ~AEInPlaceEditor() = default;
    virtual void close() = 0;
};
