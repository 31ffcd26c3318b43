#pragma once

#include "AEMainView.h"

#include <array>
#include <cstdint>

class AEApplication;
class AETitle;

// The main view's transport and live restoration, over the application's audio engine:
// recording into a new title, playing the current title through the six faders, the stop
// procedure with its 7-second rule, winding, the playback switches (loop, bypass, mono and
// the six processor switches), the current title's stored settings and the settings
// clipboard, and the live displays (meters with clip marks, position, load).
//
// Conditions that need the window (a loaded project, the about view) are the window's to
// check; this class checks the engine, the busy flag and the project's titles.
class AEWindowTransport {
public:
    // A recording shorter than 7 s is no title.
    static constexpr int32_t kShortestTitleFrames = 308700;
    // A kept recording fades in and out over 20 ms.
    static constexpr int32_t kRecordedFadeFrames = 882;
    // Rewind and forward move one second a step.
    static constexpr int32_t kWindFrames = 44100;
    static constexpr float kSliderScale = static_cast<float>(kStagePositions);

    AEWindowTransport(AEApplication& app, AEMainView& view);

    // --- Transport --------------------------------------------------------------------
    // Starts recording into a new title (record control); false when nothing started.
    bool record();
    // Plays the current title from the position (play control); false when nothing started.
    bool play();
    // The stop procedure: stops the engine and, when it was recording, keeps the new title
    // trimmed to 0, 882, L − 882, L, or removes it when shorter than 7 s. True when a
    // recording was removed (the caller then tells the user).
    bool stop();
    // The engine stopped by itself (end of the title, record limit, full disk, lost
    // device): the same procedure, once. True when a recording was removed.
    bool engineStopped();
    bool recording() const {
        return view_.transportState() == AEMainView::TransportState::kRecording;
    }
    bool playing() const { return view_.transportState() == AEMainView::TransportState::kPlaying; }
    // One step of rewind (forward false) or forward while the button is held.
    void wind(bool forward);
    // Back to the start of the title (the engine idle).
    void goToStart();

    // --- Playback switches --------------------------------------------------------------
    void setLoop(bool on);
    bool loop() const { return loop_; }
    void setBypass(bool on);
    bool bypass() const { return bypass_; }
    // Refused (false) while playing.
    bool setMono(bool on);
    bool mono() const { return mono_; }
    void setMonoUseLeft(bool left);

    // --- Faders and the title's settings -------------------------------------------------
    // A fader moved: the slot's processor takes the new value at once and the current
    // title keeps it.
    void sliderMoved(int slot);
    // A processor switch changed: playback follows and the current title keeps it.
    void switchToggled(int slot);
    // The current title's stored settings onto the faders and switches.
    void showTitleSettings();
    // Ctrl+C / Ctrl+V: the current title's six values and switches.
    bool copySettings();
    bool pasteSettings();
    bool clipboardFilled() const { return clipboard_.filled; }

    // --- Displays -----------------------------------------------------------------------
    // Meters, clip marks, position and load from the engine.
    void refreshDisplays();
    void clearClipMarks();

private:
    struct Clipboard {
        std::array<int32_t, AEMainView::kSliders> params{};
        std::array<bool, AEMainView::kSliders> switches{};
        bool filled = false;
    };

    AETitle* currentTitle() const;
    bool engineIdle() const;
    // Hands the faders, the switches and the limiter and fade slots to the engine.
    void applyChain();
    void applySwitches();
    void storeTitleSettings();
    // The 7-second rule on the title just recorded; true when it was removed.
    // Saves the project where it lives, so a recording is never only in memory.
    void saveProjectFile();
    bool keepOrRemoveRecording();
    bool finish(bool wasRecording);
    // The playable range of the current title: its trim points, or the whole file.
    std::pair<int32_t, int32_t> titleRange() const;

    AEApplication& app_;
    AEMainView& view_;
    bool loop_ = false;
    bool bypass_ = false;
    bool mono_ = false;
    // The clip marks belong to the input meters since a recording began.
    bool clipsOnInput_ = false;
    Clipboard clipboard_;
};
