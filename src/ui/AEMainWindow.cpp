#include "AEMainWindow.h"

#include "AEApplication.h"
#include "AEBusyGuard.h"
#include "AEDialogCommands.h"
#include "AEEditOperations.h"
#include "AEExport.h"
#include "AEMainView.h"
#include "AEProject.h"
#include "AETitleRunController.h"
#include "AETitleRuns.h"
#include "AETrackListDisplay.h"
#include "AETransportControl.h"
#include "AEWaveformView.h"
#include "ProjectHost.h"
#include "RegistryStore.h"
#include "RemainingTime.h"

#include <QAbstractScrollArea>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTimer>
#include <QUrl>

namespace {

// Directory slots of the application (DirectorySettings order).
constexpr int kTitleListExportDir = 2;
constexpr int32_t kStringTitleListFailed = 3292;
constexpr int kProjectDir = 3;

constexpr const char* kAboutVersion = "Version 1.1 R3";

constexpr int32_t kStringRecordingDropouts = 3300;
constexpr int32_t kStringNotSavedSaveAs = 3301;
constexpr int32_t kStringQuitUnsaved = 3302;

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
    about_->setText(QStringLiteral("<h1>Gleam!</h1><p>%1</p>").arg(QLatin1String(kAboutVersion)));
    // The about view goes away again on a click, Escape or a second About.
    about_->installEventFilter(this);
    about_->setFocusPolicy(Qt::StrongFocus);
    stack_->addWidget(view_);
    stack_->addWidget(about_);
    setCentralWidget(stack_);
    connect(view_, &AEMainView::controlChanged, this,
            [this](int32_t tag, int32_t value) { control(tag, value); });
    transport_ = std::make_unique<AETransportControl>(app_, *view_);
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
    int32_t storedMode = 0;
    store.readInt("restorationMode", storedMode, 0);
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

QAction* AEMainWindow::addCommand(QMenu* menu, int32_t textId, int32_t number) {
    QAction* a = menu->addAction(text(textId));
    a->setData(number);
    connect(a, &QAction::triggered, this, [this, number] { command(number); });
    actions_.emplace_back(number, a);
    return a;
}

void AEMainWindow::buildMenus() {
    QMenu* file = menuBar()->addMenu(text(3073));
    addCommand(file, 3074, kNewProject)->setShortcut(QKeySequence::New);
    addCommand(file, 3075, kOpenProject)->setShortcut(QKeySequence::Open);
    file->addSeparator();
    addCommand(file, 3076, kSaveProject)->setShortcut(QKeySequence::Save);
    addCommand(file, 3077, kSaveProjectAs);
    addCommand(file, 3283, kRefresh)->setShortcut(QKeySequence::Refresh);
    file->addSeparator();
    addCommand(file, 3078, kExportAudio);
    addCommand(file, 3143, kExportFlac);
    addCommand(file, 3079, kExportTitleList);
    addCommand(file, 3260, kExportDiscImage);
    file->addSeparator();
    addCommand(file, 3080, kSelectTempDirectory);
    file->addSeparator();
    addCommand(file, 3081, kQuit)->setShortcut(QKeySequence::Quit);
    file->addSeparator();
    addCommand(file, 3082, kAbout);

    QMenu* options = menuBar()->addMenu(text(3108));
    QMenu* mono = options->addMenu(text(3111));
    QAction* left = addCommand(mono, 3109, kUseLeftChannel);
    QAction* right = addCommand(mono, 3110, kUseRightChannel);
    left->setCheckable(true);
    right->setCheckable(true);
    left->setChecked(monoUseLeft_);
    right->setChecked(!monoUseLeft_);
    QMenu* restoration = options->addMenu(text(3170));
    for (const auto& [textId, number] :
         {std::pair{3171, kRestorationClassic}, std::pair{3172, kRestorationEnhanced}}) {
        QAction* choice = addCommand(restoration, textId, number);
        choice->setCheckable(true);
        choice->setChecked((number == kRestorationEnhanced) ==
                           (restorationMode_ == RestorationMode::kEnhanced));
    }
    addCommand(options, 3116, kSoundcardSettings);

    QMenu* normalize = menuBar()->addMenu(text(3091));
    addCommand(normalize, 3092, kNormalizeSelected);
    addCommand(normalize, 3093, kNormalizeAll);
    normalize->addSeparator();
    addCommand(normalize, 3261, kSplitAtSilences);

    QMenu* import = menuBar()->addMenu(text(3085));
    addCommand(import, 3086, kImportFromCd);
    addCommand(import, 3141, kImportAudioFiles);

    QMenu* help = menuBar()->addMenu(text(3113));
    addCommand(help, 3114, kHomePage);
    addCommand(help, 3115, kServicePage);
}

QAction* AEMainWindow::action(int32_t number) const {
    for (const auto& [n, a] : actions_) {
        if (n == number) {
            return a;
        }
    }
    return nullptr;
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

void AEMainWindow::stepTitle(int32_t direction) {
    AEProject* project = app_.project();
    if (project && project->step(direction)) {
        currentTitleChanged();
    }
}

void AEMainWindow::removeTitle(bool deleteFiles) {
    AEProject* project = app_.project();
    if (!projectLoaded_ || !project) {
        return;
    }
    if (AEEditOperations::deleteSelectedTitle(*project, app_.fileManager(), deleteFiles) != -2) {
        currentTitleChanged();
    }
}

void AEMainWindow::keyTyped(int key, Qt::KeyboardModifiers modifiers, const QString& typed) {
    if (app_.isBusy() || aboutShown_ || !projectLoaded_ || !app_.project()) {
        return;
    }
    const bool idle = !app_.engine().isPlayingOrRecording();
    if (modifiers & Qt::ControlModifier) {
        if (key == Qt::Key_C) {
            if (transport_->copySettings()) {
                statusBar()->showMessage(text(3047), 3000);
            }
        } else if (key == Qt::Key_V) {
            if (transport_->pasteSettings()) {
                statusBar()->showMessage(text(3228), 3000);
            }
        }
        return;
    }
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (idle) {
            control(AEMainView::kPlay, 1);
        }
        return;
    case Qt::Key_Space:
        idle ? control(AEMainView::kPlay, 1) : stopProcedure();
        return;
    case Qt::Key_Up:
        stepTitle(AEProject::kPrevious);
        return;
    case Qt::Key_Down:
        stepTitle(AEProject::kNext);
        return;
    case Qt::Key_Delete:
        control(AEMainView::kRemoveTitle, 1);
        return;
    default:
        break;
    }
    if (typed == QLatin1String("*")) {
        if (idle) {
            control(AEMainView::kRecord, 1);
        }
    } else if (typed == QLatin1String("+") || typed == QLatin1String("-")) {
        control(typed == QLatin1String("+") ? AEMainView::kZoomIn : AEMainView::kZoomOut, 1);
    } else if (typed == QLatin1String("0")) {
        if (idle) {
            transport_->goToStart();
            waveform().scrollTo(0);
            refreshWaveform();
        } else {
            stopProcedure();
        }
    }
}

bool AEMainWindow::openProjectFile(const std::string& path) {
    AEProject::LoadReport report;
    std::unique_ptr<AEProject> project = AEProject::load(path, &report);
    if (!project) {
        // The program stays as it was and says why.
        std::string why = app_.loadString(app_.stringId(3003, 0));
        if (!report.error.empty()) {
            why += "\n" + report.error;
        }
        app_.alert(why);
        return false;
    }
    if (!report.removedTitles.empty()) {
        app_.alertString(app_.stringId(3104, 0));
    }
    app_.setProject(std::move(project), path);
    refreshMainView(true);
    setProjectTitle(path);
    refreshRemainingTime();
    return true;
}

bool AEMainWindow::command(int32_t number) {
    AEProject* project = app_.project();
    const bool busy = app_.isBusy();
    switch (number) {
    case kNewProject:
        if (!busy) {
            newProject();
        }
        return true;
    case kOpenProject:
        if (!busy) {
            openProject();
        }
        return true;
    case kSaveProject:
        if (project && project->titleCount() > 0 && !app_.projectPath().empty()) {
            if (!app_.saveProject()) {
                app_.alertString(app_.stringId(3004, 0));
            }
        }
        return true;
    case kSelectTempDirectory:
        if (!busy && projectLoaded_ && project) {
            stopTransport();
            const QString dir = chooser_->folder(this, text(3048),
                                                 QString::fromStdString(project->baseDirectory()));
            if (!dir.isEmpty()) {
                project->setBaseDirectory(QDir::toNativeSeparators(dir).toStdString() + "/");
                app_.refreshFreeSpace();
            }
        }
        return true;
    case kQuit:
        quitSaving();
        return true;
    case kProcessAll:
        if (!busy && project && project->titleCount() > 0 &&
            !refuseMissingAudio(allTitles(*project))) {
            titleRuns_->start(AETitleRunKind::kProcess, allTitles(*project));
        }
        return true;
    case kRefresh:
        if (!busy && project) {
            // A drive that came back: its titles play again.
            stopTransport();
            project->refreshAudio();
            refreshTitleViews();
            refreshRemainingTime();
        }
        return true;
    case kSaveProjectAs:
        if (!busy && projectLoaded_ && !aboutShown_ && project) {
            saveProjectAs();
        }
        return true;
    case kExportAudio:
        dialogCommands_->exportAudio();
        return true;
    case kExportFlac:
        dialogCommands_->exportFlac();
        return true;
    case kExportDiscImage:
        dialogCommands_->exportDiscImage();
        return true;
    case kSplitAtSilences:
        dialogCommands_->splitAtSilences();
        return true;
    case kImportAudioFiles:
        dialogCommands_->importAudioFiles();
        return true;
    case kAbout:
        showAbout(!aboutShown_);
        return true;
    case kExportTitleList:
        if (!busy && projectLoaded_ && !aboutShown_ && project) {
            stopTransport();
            const AEBusyGuard busyNow;
            if (project->titleCount() > 0) {
                const QString start = QString::fromStdString(app_.directory(kTitleListExportDir));
                const QString chosen =
                    chooser_->saveFile(this, text(3056), QDir(start).filePath("Tracklist.txt"),
                                       text(3057), QStringLiteral("txt"));
                const std::string path = chosen.toStdString();
                if (!chosen.isEmpty() && !refuseTitleFile(path)) {
                    if (AEExport::exportTitleList(project, path, app_.cdCapacitySeconds())) {
                        app_.setDirectory(kTitleListExportDir,
                                          QFileInfo(chosen).absolutePath().toStdString());
                    } else {
                        app_.alert(ProjectHost::textWith(kStringTitleListFailed, path));
                    }
                }
            }
        }
        return true;
    case kImportFromCd:
        dialogCommands_->importFromCd();
        return true;
    case kNormalizeAll:
    case kNormalizeSelected:
        stopTransport();
        if (project && project->titleCount() > 0 && !busy) {
            const bool all = number == kNormalizeAll;
            if (!all && project->currentTitle() < 0) {
                return true;
            }
            if (refuseMissingAudio(all ? allTitles(*project)
                                       : std::vector<int32_t>{project->currentTitle()})) {
                return true;
            }
            if (app_.askYesNo(app_.stringId(all ? 3088 : 3089, 0))) {
                titleRuns_->start(AETitleRunKind::kNormalize,
                                  all ? allTitles(*project)
                                      : std::vector<int32_t>{project->currentTitle()});
            }
        }
        return true;
    case kUseLeftChannel:
    case kUseRightChannel:
        if (!busy && app_.engine().state() != AEAudioEngine::kRecording) {
            monoUseLeft_ = number == kUseLeftChannel;
            transport_->setMonoUseLeft(monoUseLeft_);
            action(kUseLeftChannel)->setChecked(monoUseLeft_);
            action(kUseRightChannel)->setChecked(!monoUseLeft_);
            RegistryStore().writeInt("monoUseLeft", monoUseLeft_ ? 1 : 0);
        } else {
            // A refused choice keeps the check marks as they were.
            action(kUseLeftChannel)->setChecked(monoUseLeft_);
            action(kUseRightChannel)->setChecked(!monoUseLeft_);
        }
        return true;
    case kRestorationClassic:
    case kRestorationEnhanced:
        setRestorationMode(number == kRestorationEnhanced ? RestorationMode::kEnhanced
                                                          : RestorationMode::kClassic);
        return true;
    case kSoundcardSettings:
        dialogCommands_->soundcardSettings();
        return true;
    case kHomePage:
    case kServicePage:
        QDesktopServices::openUrl(
            QUrl(QLatin1String(number == kHomePage ? kHomePageUrl : kServicePageUrl)));
        return true;
    default:
        return false;
    }
}

void AEMainWindow::control(int32_t tag, int32_t value) {
    AEProject* project = app_.project();
    switch (tag) {
    case AEMainView::kRecord:
        if (projectLoaded_ && transport_->record()) {
            refreshWaveform();
            redraw();
        }
        break;
    case AEMainView::kPlay:
        if (projectLoaded_) {
            transport_->play();
        }
        break;
    case AEMainView::kStop:
        if (projectLoaded_) {
            stopProcedure();
        }
        break;
    case AEMainView::kRewind:
    case AEMainView::kForward:
        if (projectLoaded_) {
            transport_->wind(tag == AEMainView::kForward);
            refreshWaveform();
        }
        break;
    case AEMainView::kLoop:
        transport_->setLoop(value != 0);
        break;
    case AEMainView::kBypass:
        transport_->setBypass(value != 0);
        break;
    case AEMainView::kMono:
        if (!transport_->setMono(value != 0)) {
            const QSignalBlocker block(view_->button(tag));
            view_->button(tag)->setChecked(transport_->mono());
        }
        break;
    case AEMainView::kDeleteTitle:
    case AEMainView::kRemoveTitle:
        removeTitle(tag == AEMainView::kDeleteTitle);
        break;
    case AEMainView::kProcessCurrent:
        if (!app_.isBusy() && project && project->currentTitle() >= 0 &&
            !refuseMissingAudio({project->currentTitle()})) {
            titleRuns_->start(AETitleRunKind::kProcess, {project->currentTitle()});
        }
        break;
    case AEMainView::kProcessAll:
        command(kProcessAll);
        break;
    case AEMainView::kCancelProcessing:
        app_.setCancelRequested(true);
        break;
    case AEMainView::kImportWave:
        dialogCommands_->importWaveFiles();
        break;
    case AEMainView::kSplitAtSilences:
        dialogCommands_->splitAtSilences();
        break;
    case AEMainView::kZoomIn:
    case AEMainView::kZoomOut:
        tag == AEMainView::kZoomIn ? waveform().zoomIn() : waveform().zoomOut();
        break;
    case AEMainView::kMoveUp:
    case AEMainView::kMoveDown:
        if (project && !app_.isBusy() && app_.engine().state() != AEAudioEngine::kRecording) {
            tag == AEMainView::kMoveUp ? project->moveCurrentUp() : project->moveCurrentDown();
            refreshTitleViews();
        }
        break;
    default:
        for (int slot = 0; slot < AEMainView::kSliders; ++slot) {
            if (tag == AEMainView::kSliderTags[slot]) {
                transport_->sliderMoved(slot);
            } else if (tag == AEMainView::kSwitchTags[slot]) {
                transport_->switchToggled(slot);
            }
        }
        break;
    }
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

void AEMainWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
    quitSaving();
}

bool AEMainWindow::saveProjectAs() {
    AEProject* project = app_.project();
    if (!project) {
        return false;
    }
    const AEBusyGuard busyNow;
    const QString start = QString::fromStdString(app_.directory(kProjectDir));
    const QString chosen = chooser_->saveFile(this, text(3060), QDir(start).filePath(text(3066)),
                                              text(3051), QStringLiteral("dat"));
    bool written = false;
    if (!chosen.isEmpty()) {
        const std::string path = chosen.toStdString();
        app_.setDirectory(kProjectDir, QFileInfo(chosen).absolutePath().toStdString());
        project->save(path, &written);
        if (written) {
            openProjectFile(path);
        } else {
            app_.alertString(app_.stringId(3004, 0));
        }
    }
    return written;
}

bool AEMainWindow::saveBeforeReplacing() {
    if (!app_.project()) {
        return true;
    }
    // A recording in progress becomes a title first, so it is saved too.
    stopTransport();
    if (app_.saveProject()) {
        return true;
    }
    const QString question =
        text(kStringNotSavedSaveAs).arg(QString::fromStdString(app_.projectPath()));
    return app_.askYesNoText(question.toStdString()) && saveProjectAs();
}

void AEMainWindow::quitSaving() {
    // While a run works on the project it is neither saved nor left: the quit waits.
    if (!app_.isBusy() && !saveBeforeReplacing() &&
        !app_.askYesNo(app_.stringId(kStringQuitUnsaved, 0))) {
        return;
    }
    app_.requestQuit();
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
    refreshTitleViews();
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
    refreshTitleViews();
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

int32_t AEMainWindow::showStartDialog(bool) {
    QMessageBox box(QMessageBox::Question, QStringLiteral("Gleam!"), text(3100),
                    QMessageBox::NoButton, this);
    QPushButton* create = box.addButton(text(3101), QMessageBox::AcceptRole);
    QPushButton* open = box.addButton(text(3102), QMessageBox::AcceptRole);
    box.addButton(text(3103), QMessageBox::RejectRole);
    box.exec();
    if (box.clickedButton() == create) {
        return 1;
    }
    if (box.clickedButton() == open) {
        return 1012;
    }
    return 2;
}

void AEMainWindow::newProject() {
    stopTransport();
    if (!saveBeforeReplacing()) {
        return;
    }
    const QString start = QString::fromStdString(app_.directory(kProjectDir));
    const QString chosen = chooser_->saveFile(this, text(3074), QDir(start).filePath(text(3066)),
                                              text(3051), QStringLiteral("dat"));
    if (!chosen.isEmpty()) {
        const std::string path = chosen.toStdString();
        std::unique_ptr<AEProject> project = AEProject::createForPath(path);
        if (project) {
            bool written = false;
            project->save(path, &written);
            app_.setProject(std::move(project), path);
            refreshMainView(true);
            setProjectTitle(path);
            if (!written) {
                app_.alertString(app_.stringId(3004, 0));
            }
        }
    }
    update();
    refreshRemainingTime();
}

void AEMainWindow::openProject() {
    stopTransport();
    if (!saveBeforeReplacing()) {
        return;
    }
    const QString chosen = chooser_->openFile(
        this, text(3061), QString::fromStdString(app_.directory(kProjectDir)), text(3051));
    if (chosen.isEmpty()) {
        return;
    }
    app_.setDirectory(kProjectDir, QFileInfo(chosen).absolutePath().toStdString());
    QApplication::setOverrideCursor(Qt::WaitCursor);
    openProjectFile(chosen.toStdString());
    QApplication::restoreOverrideCursor();
}

void AEMainWindow::openProjectFromPath(const std::string& path) {
    if (app_.isBusy() || !saveBeforeReplacing()) {
        return;
    }
    app_.setDirectory(kProjectDir,
                      QFileInfo(QString::fromStdString(path)).absolutePath().toStdString());
    QApplication::setOverrideCursor(Qt::WaitCursor);
    openProjectFile(path);
    QApplication::restoreOverrideCursor();
}
