#include "AEMainWindow.h"

#include "AEApplication.h"
#include "AEBusyGuard.h"
#include "AEDialogCommands.h"
#include "AEEditOperations.h"
#include "AEMainView.h"
#include "AEProject.h"
#include "AETitleRunController.h"
#include "AETitleRuns.h"
#include "AETrackListDisplay.h"
#include "AEWaveformView.h"
#include "AEWindowTransport.h"
#include "HelpMenu.h"
#include "ProjectHost.h"
#include "RegistryStore.h"
#include "RemainingTime.h"

#include <QAbstractScrollArea>
#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTimer>

namespace {

constexpr int32_t kStringVersion = 3314;

constexpr int32_t kStringRecordingDropouts = 3300;

} // namespace

AEMainWindow::AEMainWindow(AEApplication& app, QWidget* parent)
    : QMainWindow(parent), app_(app), chooser_(std::make_unique<QtFileChooser>()) {
    setWindowTitle(windowTitleFor({}));
    dialogCommands_ = std::make_unique<AEDialogCommands>(app_, *this);
    stack_ = new QStackedWidget(this);
    view_ = new AEMainView([this](int32_t id) { return text(id); }, stack_);
    about_ = new QLabel(stack_);
    about_->setAlignment(Qt::AlignCenter);
    about_->setStyleSheet(QStringLiteral(
        "background: qlineargradient(x1:0, y1:0, x2:1, y2:1, stop:0 #1c1f24, stop:1 #2b3340);"
        "color: #e8eaed; font-size: 14pt;"));
    about_->setText(QStringLiteral("<h1>Gleam!</h1><p>%1 %2</p>")
                        .arg(text(kStringVersion), HelpMenu::version()));
    // The about view goes away again on a click, Escape or a second About.
    about_->installEventFilter(this);
    about_->setFocusPolicy(Qt::StrongFocus);
    stack_->addWidget(view_);
    stack_->addWidget(about_);
    setCentralWidget(stack_);
    connect(view_, &AEMainView::controlChanged, this,
            [this](int32_t tag, int32_t value) { control(tag, value); });
    transport_ = std::make_unique<AEWindowTransport>(app_, *view_);
    connect(view_, &AEMainView::keyTyped, this, &AEMainWindow::keyTyped);
    connect(view_, &AEMainView::clipResetRequested, this, [this] { transport_->clearClipMarks(); });
    buildTitleViews();
    titleRuns_ = std::make_unique<AETitleRunController>(app_, *this);
    // Keys typed over the list go to the view's key table (arrows step through the
    // titles). A title chosen in the list reaches currentTitleChanged (AEMainWindowTitles).
    for (QAbstractScrollArea* area : view_->findChildren<QAbstractScrollArea*>()) {
        area->setFocusPolicy(Qt::NoFocus);
    }
    RegistryStore store;
    int32_t useLeft = 1;
    store.readInt("monoUseLeft", useLeft, 1);
    monoUseLeft_ = useLeft != 0;
    constexpr auto kNoChoice = static_cast<int32_t>(kDefaultRestorationMode);
    int32_t storedMode = kNoChoice;
    store.readInt("restorationMode", storedMode, kNoChoice);
    restorationMode_ = restorationModeFrom(storedMode);
    RestorationChoice::set(restorationMode_);
    app_.engine().setRestorationMode(restorationMode_);
    repairStatus_ = new QLabel(this);
    statusBar()->addPermanentWidget(repairStatus_);
    transport_->setMonoUseLeft(monoUseLeft_);
    // The input runs while idle, so the meters show what would be recorded.
    app_.engine().startInput();
    app_.engine().setMetersEnabled(true);
    auto* live = new QTimer(this);
    connect(live, &QTimer::timeout, this, [this] { transport_->refreshDisplays(); });
    live->start(50);
    auto* disk = new QTimer(this);
    connect(disk, &QTimer::timeout, this, [this] { app_.refreshFreeSpace(); });
    disk->start(2000);
    progress_ = std::make_unique<StatusProgress>(statusBar(), text(3103));
    app_.setProgressDisplay(progress_.get());
    // Long operations report through the application's progress values; show them.
    auto* poll = new QTimer(this);
    connect(poll, &QTimer::timeout, this, [this] {
        if (app_.progressActive()) {
            progress_->setValues(static_cast<int32_t>(app_.progressValue()),
                                 static_cast<int32_t>(app_.progressMaximum()));
        } else if (progress_->visible()) {
            progress_->hide();
        }
    });
    poll->start(100);
    buildMenus();
    loadButtonStates();
    refreshMainView(false);
    resize(kWidth, kHeight);
}

AEMainWindow::~AEMainWindow() {
    app_.setProgressDisplay(nullptr);
    titleRuns_.reset();
    saveButtonStates();
    RegistryStore store;
    store.writeInt("wndXpos", x());
    store.writeInt("wndYpos", y());
}

QString AEMainWindow::text(int32_t id) const {
    return QString::fromUtf8(app_.loadString(app_.stringId(id, 0)));
}

QString AEMainWindow::windowTitleFor(const std::string& path) {
    if (path.empty()) {
        return QStringLiteral("Gleam!");
    }
    return QStringLiteral("%1  -  Gleam!").arg(QString::fromStdString(path));
}

void AEMainWindow::setProjectTitle(const std::string& path) {
    setWindowTitle(windowTitleFor(path));
}

void AEMainWindow::centreOnScreen() {
    resize(kWidth, kHeight);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        // Half the room left on each side (QRect::center() would land one pixel short).
        move(area.x() + ((area.width() - kWidth) >> 1),
             area.y() + ((area.height() - kHeight) >> 1));
    }
}

void AEMainWindow::refreshMainView(bool loaded) {
    projectLoaded_ = loaded;
    view_->setControlsEnabled(loaded);
    view_->setFreeSpace(app_.freePercent());
    if (loaded) {
        // The faders show the current title's settings; keys go to the view.
        transport_->showTitleSettings();
        view_->setFocus();
    }
    refreshRemainingTime();
    refreshTitleViews();
}

void AEMainWindow::refreshRemainingTime() {
    view_->setRemainingTime(QString::fromStdString(
        remainingTimeText(projectLoaded_ ? app_.project() : nullptr, app_.cdCapacitySeconds())));
}

void AEMainWindow::showAbout(bool show) {
    if (show) {
        if (app_.isBusy() || aboutShown_) {
            return;
        }
        stopTransport();
        stack_->setCurrentWidget(about_);
        about_->setFocus(); // for Escape
        aboutShown_ = true;
    } else {
        stack_->setCurrentWidget(view_);
        aboutShown_ = false;
    }
}

bool AEMainWindow::eventFilter(QObject* watched, QEvent* event) {
    const bool escape = event->type() == QEvent::KeyPress &&
                        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape;
    if (watched == about_ && (event->type() == QEvent::MouseButtonPress || escape)) {
        showAbout(false);
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void AEMainWindow::stopTransport() {
    if (app_.engine().state() != AEAudioEngine::kIdle || transport_->recording() ||
        transport_->playing()) {
        stopProcedure();
    }
}

void AEMainWindow::stopProcedure() {
    transportStopped(transport_->stop());
}

void AEMainWindow::transportStopped(bool recordingRemoved) {
    view_->setTransportEnabled(projectLoaded_ && !app_.isBusy());
    refreshWaveform();
    transport_->refreshDisplays();
    refreshRemainingTime();
    if (recordingRemoved) {
        currentTitleChanged();
        app_.alertString(app_.stringId(3105, 0));
    }
}

void AEMainWindow::currentTitleChanged() {
    AEProject* project = app_.project();
    const int32_t current = project ? project->currentTitle() : -1;
    if (!app_.engine().isPlayingOrRecording()) {
        app_.fileManager().loadIntoEngine(current);
        app_.engine().seek(0);
    }
    transport_->showTitleSettings();
    transport_->refreshDisplays();
    refreshWaveform();
    redraw();
}

bool AEMainWindow::refuseMissingAudio(const std::vector<int32_t>& indices) {
    AEProject* project = app_.project();
    const std::string missing = project ? project->missingAudio(indices) : std::string();
    if (missing.empty()) {
        return false;
    }
    project->refreshAudio();
    refreshTitleViews();
    app_.alert(ProjectHost::textWith(3282, missing));
    return true;
}

bool AEMainWindow::refuseTitleFile(const std::string& path) {
    const AEProject* project = app_.project();
    if (!project || !project->refersTo(path)) {
        return false;
    }
    app_.alert(ProjectHost::textWith(3290, path));
    return true;
}

void AEMainWindow::loadButtonStates() {
    RegistryStore store;
    bool mono = false;
    bool loop = false;
    bool bypass = false;
    store.readFlag("monoButton", mono, false);
    store.readFlag("loopButton", loop, false);
    store.readFlag("bypassButton", bypass, false);
    transport_->setMono(mono);
    transport_->setLoop(loop);
    transport_->setBypass(bypass);
    for (auto [tag, on] : {std::pair{AEMainView::kMono, mono}, std::pair{AEMainView::kLoop, loop},
                           std::pair{AEMainView::kBypass, bypass}}) {
        const QSignalBlocker block(view_->button(tag));
        view_->button(tag)->setChecked(on);
    }
}

void AEMainWindow::saveButtonStates() const {
    RegistryStore store;
    store.writeFlag("monoButton", transport_->mono());
    store.writeFlag("loopButton", transport_->loop());
    store.writeFlag("bypassButton", transport_->bypass());
}

// --- Hooks -----------------------------------------------------------------------------

void AEMainWindow::end() {
    stopTransport();
}

void AEMainWindow::stoppedState() {
    // Playback reached its end, or the engine stopped a recording by itself.
    transportStopped(transport_->engineStopped());
}

void AEMainWindow::endOfOperationRefresh() {
    view_->setTransportEnabled(projectLoaded_);
    QApplication::restoreOverrideCursor();
    trackList_->operationEnded();
    // An import may have made a new title current: the engine, the faders and the views
    // follow it.
    currentTitleChanged();
    refreshTitleViews();
    refreshRemainingTime();
}

void AEMainWindow::recordingStopped(int32_t) {
    // A recording the engine ended by itself (record limit, full disk) keeps the 7-second
    // rule as one ended by the stop control does.
    transportStopped(transport_->engineStopped());
    refreshRemainingTime();
    refreshTitleViews();
}

void AEMainWindow::processedStateRefresh() {
    titleRuns_->finish();
    refreshRemainingTime();
    // A title the run finished plays its new file with its stages off: the engine and the
    // faders follow the current title, so playback does not repair it a second time.
    currentTitleChanged();
}

void AEMainWindow::resetWaveformStates() {
    waveform().refresh();
}

void AEMainWindow::redraw() {
    refreshRemainingTime();
    refreshTitleViews();
    update();
}

void AEMainWindow::setBusyState(int32_t state) {
    view_->setTransportEnabled(state != 0 && projectLoaded_);
}

void AEMainWindow::endOfProcessingRefresh() {
    titleRuns_->finish();
    refreshRemainingTime();
    // Titles the run finished before the cancel play new files: the engine and the faders
    // follow the current title.
    currentTitleChanged();
}

void AEMainWindow::refreshWaveform() {
    waveform().refresh();
}

void AEMainWindow::setRestorationMode(RestorationMode mode) {
    restorationMode_ = mode;
    RegistryStore().writeInt("restorationMode", static_cast<int32_t>(mode));
    RestorationChoice::set(mode);
    app_.engine().setRestorationMode(mode);
    action(kRestorationClassic)->setChecked(mode == RestorationMode::kClassic);
    action(kRestorationEnhanced)->setChecked(mode == RestorationMode::kEnhanced);
}

void AEMainWindow::showStatus(const std::string& text) {
    repairStatus_->setText(QString::fromStdString(text));
}

void AEMainWindow::showRecordingDropouts(int32_t dropouts, int32_t lostMilliseconds) {
    if (dropouts > 0) {
        statusBar()->showMessage(
            text(kStringRecordingDropouts).arg(dropouts).arg(lostMilliseconds));
    } else {
        // Whatever an earlier recording lost is no news about this one.
        statusBar()->clearMessage();
    }
}

void AEMainWindow::showTitle(int32_t number) {
    if (AEProject* project = app_.project()) {
        project->select(number);
        app_.fileManager().loadIntoEngine(project->currentTitle());
        transport_->showTitleSettings();
    }
    refreshTitleViews();
}

void AEMainWindow::freeSpaceChanged() {
    view_->setFreeSpace(app_.freePercent());
}

void AEMainWindow::raise() {
    showNormal();
    QMainWindow::raise();
    activateWindow();
}
