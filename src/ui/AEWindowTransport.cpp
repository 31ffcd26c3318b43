#include "AEWindowTransport.h"

#include "ProjectHost.h"

#include "AEApplication.h"
#include "AEEditOperations.h"
#include "AETimeText.h"

#include <QPushButton>
#include <QSlider>

#include <algorithm>

namespace {

constexpr int32_t kStringDeviceNotOpened = 3126;
constexpr int32_t kStringAudioMissing = 3282;

} // namespace

AEWindowTransport::AEWindowTransport(AEApplication& app, AEMainView& view)
    : app_(app), view_(view) {}

AETitle* AEWindowTransport::currentTitle() const {
    AEProject* project = app_.project();
    return project ? project->title(project->currentTitle()) : nullptr;
}

bool AEWindowTransport::engineIdle() const {
    return !app_.engine().isPlayingOrRecording();
}

// --- Transport --------------------------------------------------------------------------

bool AEWindowTransport::record() {
    AEProject* project = app_.project();
    if (!project || app_.isBusy() || recording()) {
        return false;
    }
    AEAudioEngine& engine = app_.engine();
    if (!engineIdle()) {
        stop();
    }
    const AEEditOperations::RecordingPlan plan =
        AEEditOperations::prepareRecording(*project, app_.fileManager());
    if (plan.refusal != 0) {
        return false;
    }
    engine.setMaxRecordFrames(plan.maxRecordFrames);
    engine.startInput();
    engine.meters().clearClipFlags();
    if (!engine.record()) {
        // No title without its recording.
        project->deleteTitle(plan.index, true);
        if (project->titleCount() > 0) {
            project->select(project->titleCount() - 1);
            app_.fileManager().loadIntoEngine(project->currentTitle());
        }
        app_.alertString(app_.stringId(kStringDeviceNotOpened, 0));
        return false;
    }
    // The project file knows the new title from its first second: a crash while recording
    // leaves a title whose file the next load mends.
    saveProjectFile();
    // The new title starts with every stage off: the faders show that, so what playback
    // applies later is what processing the title will use.
    showTitleSettings();
    clipsOnInput_ = true;
    view_.setTransportState(AEMainView::TransportState::kRecording);
    return true;
}

std::pair<int32_t, int32_t> AEWindowTransport::titleRange() const {
    AEProject* project = app_.project();
    const AETitle* title = currentTitle();
    if (!title) {
        return {0, 0};
    }
    const int32_t length = std::max(app_.fileManager().getLength(project->currentTitle()), 0);
    if (title->processState().isProcessed() || title->fadePoint(0) < 0 || title->fadePoint(3) < 0) {
        return {0, length};
    }
    return {title->fadePoint(0), std::min(title->fadePoint(3), length)};
}

bool AEWindowTransport::play() {
    AEProject* project = app_.project();
    const AETitle* title = currentTitle();
    if (!title || app_.isBusy() || playing() || recording() || !engineIdle()) {
        return false;
    }
    if (const std::string missing = project->missingAudio({project->currentTitle()});
        !missing.empty()) {
        app_.alert(ProjectHost::textWith(kStringAudioMissing, missing));
        return false;
    }
    AEAudioEngine& engine = app_.engine();
    app_.fileManager().loadIntoEngine(project->currentTitle());
    applyChain();
    if (title->processState().isProcessed()) {
        engine.setRange(-1, -1, -1, -1);
    } else {
        engine.setRange(title->fadePoint(0), title->fadePoint(1), title->fadePoint(2),
                        title->fadePoint(3));
    }
    const auto [start, end] = titleRange();
    if (start >= end) {
        return false;
    }
    const int32_t position = engine.position();
    const bool inside = position >= start && position < end;
    bool started = false;
    if (loop_) {
        started = engine.playRange(start, end, inside ? position : -1);
    } else {
        engine.seek(inside ? position : start);
        started = engine.play();
        if (started) {
            engine.setPlayStop(end);
        }
    }
    if (started) {
        clipsOnInput_ = false;
        view_.setTransportState(AEMainView::TransportState::kPlaying);
    }
    return started;
}

bool AEWindowTransport::stop() {
    AEAudioEngine& engine = app_.engine();
    const bool wasRecording = recording() || engine.state() == AEAudioEngine::kRecording;
    if (engine.state() != AEAudioEngine::kIdle) {
        engine.stop();
    }
    return finish(wasRecording);
}

bool AEWindowTransport::engineStopped() {
    // A message about a transport already stopped here, or one that began since, is old.
    if ((!recording() && !playing()) || app_.engine().isPlayingOrRecording()) {
        return false;
    }
    return stop();
}

bool AEWindowTransport::finish(bool wasRecording) {
    view_.setTransportState(AEMainView::TransportState::kStopped);
    return wasRecording && !app_.isBusy() && keepOrRemoveRecording();
}

void AEWindowTransport::saveProjectFile() {
    if (app_.project() && !app_.projectPath().empty() && !app_.saveProject()) {
        ProjectHost::log("the project file could not be saved around a recording");
    }
}

bool AEWindowTransport::keepOrRemoveRecording() {
    AEProject* project = app_.project();
    if (!project || project->titleCount() == 0) {
        return false;
    }
    const int32_t last = project->titleCount() - 1;
    AETitle* title = project->title(last);
    // −1 when nothing usable was written: no title either.
    const int32_t length = AEFileManager::framesOf(title->currentAudioPath());
    if (length < kShortestTitleFrames) {
        project->deleteTitle(last, true);
        if (project->titleCount() > 0) {
            project->select(project->titleCount() - 1);
            app_.fileManager().loadIntoEngine(project->currentTitle());
        }
        saveProjectFile();
        return true;
    }
    const int32_t points[] = {0, kRecordedFadeFrames, length - kRecordedFadeFrames, length};
    for (int k = 0; k < AETitle::kFadePoints; ++k) {
        title->setFadePoint(k, points[k]);
    }
    title->setLength(length);
    saveProjectFile();
    app_.engine().setRange(points[0], points[1], points[2], points[3]);
    app_.engine().seek(0);
    return false;
}

void AEWindowTransport::wind(bool forward) {
    AEProject* project = app_.project();
    if (!project || project->currentTitle() < 0 || recording()) {
        return;
    }
    AEAudioEngine& engine = app_.engine();
    const int32_t length = std::max(app_.fileManager().getLength(project->currentTitle()), 0);
    const bool useRange = loop_ && engine.rangeStart() >= 0 && engine.rangeEnd() >= 0;
    const int32_t low = useRange ? engine.rangeStart() : 0;
    const int32_t high = useRange ? std::min(engine.rangeEnd(), length) : length;
    int32_t target = 0;
    if (engine.isPlayingOrRecording()) {
        target = forward ? high : low;
    } else {
        const int64_t moved =
            int64_t{engine.position()} + (forward ? kWindFrames : -int64_t{kWindFrames});
        target = static_cast<int32_t>(std::clamp<int64_t>(moved, low, std::max(low, high)));
    }
    engine.seek(target);
    refreshDisplays();
}

void AEWindowTransport::goToStart() {
    if (engineIdle()) {
        app_.engine().seek(0);
        refreshDisplays();
    }
}

// --- Switches -------------------------------------------------------------------------

void AEWindowTransport::setLoop(bool on) {
    loop_ = on;
}

void AEWindowTransport::setBypass(bool on) {
    bypass_ = on;
    app_.engine().playbackSwitches()->setBypassButton(on);
}

bool AEWindowTransport::setMono(bool on) {
    const int32_t state = app_.engine().state();
    if (state == AEAudioEngine::kPlaying || state == AEAudioEngine::kPlayingRange) {
        return false;
    }
    mono_ = on;
    app_.engine().playbackSwitches()->setMonoButton(on);
    return true;
}

void AEWindowTransport::setMonoUseLeft(bool left) {
    app_.engine().playbackSwitches()->setMonoUseLeft(left);
}

void AEWindowTransport::applySwitches() {
    ProcessorSwitches& switches = *app_.engine().playbackSwitches();
    for (int slot = 0; slot < AEMainView::kSliders; ++slot) {
        switches.setProcessorOff(slot, !view_.processorSwitch(slot)->isChecked());
    }
    switches.setBypassButton(bypass_);
    switches.setMonoButton(mono_);
}

void AEWindowTransport::applyChain() {
    AEAudioEngine& engine = app_.engine();
    applySwitches();
    for (int slot = 0; slot < AEMainView::kSliders; ++slot) {
        engine.createProcessor(slot,
                               static_cast<float>(view_.slider(slot)->value()) / kSliderScale);
    }
    engine.createProcessor(AETransport::kFadeSlot, 0.0f);
    engine.createProcessor(AETransport::kLimiterSlot, 0.0f);
}

// --- Faders and settings ------------------------------------------------------------------

void AEWindowTransport::storeTitleSettings() {
    AETitle* title = currentTitle();
    if (!title) {
        return;
    }
    for (int slot = 0; slot < AEMainView::kSliders; ++slot) {
        title->setProcessorEnabled(slot, view_.processorSwitch(slot)->isChecked());
        title->setProcessorParam(slot, view_.slider(slot)->value());
    }
}

void AEWindowTransport::sliderMoved(int slot) {
    // During a processing run the algorithm library is the run's: the value waits for
    // the next play.
    if (!app_.isBusy()) {
        app_.engine().createProcessor(slot, static_cast<float>(view_.slider(slot)->value()) /
                                                kSliderScale);
    }
    // What is heard is what processing the title will use.
    storeTitleSettings();
}

void AEWindowTransport::switchToggled(int slot) {
    app_.engine().playbackSwitches()->setProcessorOff(slot,
                                                      !view_.processorSwitch(slot)->isChecked());
    storeTitleSettings();
}

void AEWindowTransport::showTitleSettings() {
    const AETitle* title = currentTitle();
    if (!title) {
        return;
    }
    for (int slot = 0; slot < AEMainView::kSliders; ++slot) {
        view_.setSliderValue(slot, title->processorParam(slot));
        view_.setSwitch(slot, title->processorEnabled(slot));
    }
    applySwitches();
}

bool AEWindowTransport::copySettings() {
    const AETitle* title = currentTitle();
    if (!title) {
        return false;
    }
    for (int slot = 0; slot < AEMainView::kSliders; ++slot) {
        clipboard_.params[slot] = title->processorParam(slot);
        clipboard_.switches[slot] = title->processorEnabled(slot);
    }
    clipboard_.filled = true;
    return true;
}

bool AEWindowTransport::pasteSettings() {
    AETitle* title = currentTitle();
    if (!clipboard_.filled || !engineIdle() || !title) {
        return false;
    }
    for (int slot = 0; slot < AEMainView::kSliders; ++slot) {
        title->setProcessorParam(slot, clipboard_.params[slot]);
        title->setProcessorEnabled(slot, clipboard_.switches[slot]);
    }
    showTitleSettings();
    return true;
}

// --- Displays ------------------------------------------------------------------------------

void AEWindowTransport::refreshDisplays() {
    const AEAudioEngine& engine = app_.engine();
    view_.setLevels(engine.meter(AELevelMeters::kOutLeft), engine.meter(AELevelMeters::kOutRight),
                    engine.meter(AELevelMeters::kInLeft), engine.meter(AELevelMeters::kInRight));
    const bool left = engine.clipFlag(0);
    const bool right = engine.clipFlag(1);
    view_.setClipMarks(clipsOnInput_, left, right);
    view_.setClipMarks(!clipsOnInput_, false, false);
    view_.setPositionText(
        QString::fromStdString(AETimeText::hoursMinutesSeconds(engine.position())));
    view_.setLoad(engine.load());
}

void AEWindowTransport::clearClipMarks() {
    app_.engine().meters().clearClipFlags();
    refreshDisplays();
}
