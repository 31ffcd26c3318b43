#include "AEMainWindow.h"

#include "AEApplication.h"
#include "AEExport.h"
#include "AEMainView.h"
#include "AEProject.h"
#include "AETitleRuns.h"
#include "RegistryStore.h"
#include "RemainingTime.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
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
constexpr int kAudioExportDir = 1;
constexpr int kTitleListExportDir = 2;
constexpr int kProjectDir = 3;

constexpr const char* kAboutVersion = "Version 1.1 R3";

} // namespace

AEMainWindow::AEMainWindow(AEApplication& app, QWidget* parent)
    : QMainWindow(parent), app_(app), chooser_(std::make_unique<QtFileChooser>()) {
    setWindowTitle(windowTitleFor({}));
    stack_ = new QStackedWidget(this);
    view_ = new AEMainView([this](int32_t id) { return text(id); }, stack_);
    about_ = new QLabel(stack_);
    about_->setAlignment(Qt::AlignCenter);
    about_->setStyleSheet(QStringLiteral(
        "background: qlineargradient(x1:0, y1:0, x2:1, y2:1, stop:0 #1c1f24, stop:1 #2b3340);"
        "color: #e8eaed; font-size: 14pt;"));
    about_->setText(QStringLiteral("<h1>Gleam!</h1><p>%1</p>").arg(QLatin1String(kAboutVersion)));
    stack_->addWidget(view_);
    stack_->addWidget(about_);
    setCentralWidget(stack_);
    connect(view_, &AEMainView::controlChanged, this,
            [this](int32_t tag, int32_t value) { control(tag, value); });
    RegistryStore store;
    int32_t useLeft = 1;
    store.readInt("monoUseLeft", useLeft, 1);
    monoUseLeft_ = useLeft != 0;
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
    joinWorker();
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
    file->addSeparator();
    addCommand(file, 3078, kExportAudio);
    addCommand(file, 3079, kExportTitleList);
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
    addCommand(options, 3116, kSoundcardSettings);

    QMenu* normalize = menuBar()->addMenu(text(3091));
    addCommand(normalize, 3092, kNormalizeSelected);
    addCommand(normalize, 3093, kNormalizeAll);

    QMenu* import = menuBar()->addMenu(text(3085));
    addCommand(import, 3086, kImportFromCd);

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
        move(area.center() - QPoint(kWidth / 2, kHeight / 2));
    }
}

void AEMainWindow::refreshMainView(bool loaded) {
    projectLoaded_ = loaded;
    view_->setControlsEnabled(loaded);
    refreshRemainingTime();
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
        aboutShown_ = true;
    } else {
        stack_->setCurrentWidget(view_);
        aboutShown_ = false;
    }
}

void AEMainWindow::stopTransport() {
    if (app_.engine().state() != AEAudioEngine::kIdle) {
        app_.engine().stop();
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
            if (!project->save(app_.projectPath())) {
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
        app_.requestQuit();
        return true;
    case kProcessAll:
        if (!busy && project && project->titleCount() > 0) {
            startProcessing(allTitles(*project));
        }
        return true;
    case kSaveProjectAs:
        if (!busy && projectLoaded_ && !aboutShown_ && project) {
            app_.setBusy(true);
            const QString start = QString::fromStdString(app_.directory(kProjectDir));
            const QString chosen =
                chooser_->saveFile(this, text(3060), QDir(start).filePath(text(3066)), text(3051),
                                   QStringLiteral("dat"));
            if (!chosen.isEmpty()) {
                const std::string path = chosen.toStdString();
                app_.setDirectory(kProjectDir, QFileInfo(chosen).absolutePath().toStdString());
                bool written = false;
                project->save(path, &written);
                if (written) {
                    openProjectFile(path);
                } else {
                    app_.alertString(app_.stringId(3004, 0));
                }
            }
            app_.setBusy(false);
        }
        return true;
    case kExportAudio:
        // The background copy and its progress belong to the export work still to come.
        if (!busy && projectLoaded_) {
            stopTransport();
        }
        return true;
    case kAbout:
        showAbout(true);
        return true;
    case kExportTitleList:
        if (!busy && projectLoaded_ && !aboutShown_ && project) {
            stopTransport();
            app_.setBusy(true);
            if (project->titleCount() > 0) {
                const QString start = QString::fromStdString(app_.directory(kTitleListExportDir));
                const QString chosen =
                    chooser_->saveFile(this, text(3056), QDir(start).filePath("Tracklist.txt"),
                                       text(3057), QStringLiteral("txt"));
                if (!chosen.isEmpty()) {
                    AEExport::exportTitleList(project, chosen.toStdString(),
                                              app_.cdCapacitySeconds());
                    app_.setDirectory(kTitleListExportDir,
                                      QFileInfo(chosen).absolutePath().toStdString());
                }
            }
            app_.setBusy(false);
        }
        return true;
    case kImportFromCd:
        // CD import has its own window, still to come.
        stopTransport();
        return true;
    case kNormalizeAll:
    case kNormalizeSelected:
        stopTransport();
        if (project && project->titleCount() > 0 && !busy) {
            const bool all = number == kNormalizeAll;
            if (!all && project->currentTitle() < 0) {
                return true;
            }
            if (app_.askYesNo(app_.stringId(all ? 3088 : 3089, 0))) {
                startNormalizing(all ? allTitles(*project)
                                     : std::vector<int32_t>{project->currentTitle()});
            }
        }
        return true;
    case kUseLeftChannel:
    case kUseRightChannel:
        if (!busy && app_.engine().state() != AEAudioEngine::kRecording) {
            monoUseLeft_ = number == kUseLeftChannel;
            action(kUseLeftChannel)->setChecked(monoUseLeft_);
            action(kUseRightChannel)->setChecked(!monoUseLeft_);
            RegistryStore().writeInt("monoUseLeft", monoUseLeft_ ? 1 : 0);
        } else {
            // A refused choice keeps the check marks as they were.
            action(kUseLeftChannel)->setChecked(monoUseLeft_);
            action(kUseRightChannel)->setChecked(!monoUseLeft_);
        }
        return true;
    case kSoundcardSettings:
        // The sound card dialog is still to come.
        stopTransport();
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
    case AEMainView::kStop:
        if (projectLoaded_) {
            stopTransport();
            stoppedState();
        }
        break;
    case AEMainView::kLoop:
        loopButton_ = value != 0;
        break;
    case AEMainView::kBypass:
        bypassButton_ = value != 0;
        break;
    case AEMainView::kMono: {
        const int32_t state = app_.engine().state();
        if (state != AEAudioEngine::kPlaying && state != AEAudioEngine::kPlayingRange) {
            monoButton_ = value != 0;
        } else {
            const QSignalBlocker block(view_->button(tag));
            view_->button(tag)->setChecked(monoButton_);
        }
        break;
    }
    case AEMainView::kProcessCurrent:
        if (!app_.isBusy() && project && project->currentTitle() >= 0) {
            startProcessing({project->currentTitle()});
        }
        break;
    case AEMainView::kProcessAll:
        command(kProcessAll);
        break;
    case AEMainView::kCancelProcessing:
        app_.setCancelRequested(true);
        break;
    case AEMainView::kMoveUp:
    case AEMainView::kMoveDown:
        if (project && !app_.isBusy() && app_.engine().state() != AEAudioEngine::kRecording) {
            tag == AEMainView::kMoveUp ? project->moveCurrentUp() : project->moveCurrentDown();
        }
        break;
    default:
        if (tag >= AEMainView::kSwitchFirst && tag <= AEMainView::kSwitchLast) {
            storeTitleSettings();
        }
        // Recording, playback, winding, zoom and the title edits follow with the
        // transport and the waveform view.
        break;
    }
}

void AEMainWindow::storeTitleSettings() {
    AEProject* project = app_.project();
    if (!project || project->currentTitle() < 0) {
        return;
    }
    AETitle* title = project->title(project->currentTitle());
    if (!title) {
        return;
    }
    for (int slot = 0; slot < AEMainView::kSliders; ++slot) {
        title->setProcessorEnabled(slot, view_->processorSwitch(slot)->isChecked());
        title->setProcessorParam(slot, view_->slider(slot)->value());
    }
}

void AEMainWindow::startProcessing(std::vector<int32_t> indices) {
    stopTransport();
    view_->setProcessing(true);
    app_.setBusy(true);
    joinWorker();
    AEProject* project = app_.project();
    const std::string path = app_.projectPath();
    worker_ = std::thread(
        [project, path, indices = std::move(indices)] { processTitles(*project, path, indices); });
}

void AEMainWindow::startNormalizing(std::vector<int32_t> indices) {
    view_->setProcessing(true);
    app_.setBusy(true);
    joinWorker();
    AEProject* project = app_.project();
    const std::string path = app_.projectPath();
    worker_ = std::thread([project, path, indices = std::move(indices)] {
        normalizeTitles(*project, path, indices);
    });
}

void AEMainWindow::joinWorker() {
    if (worker_.joinable()) {
        worker_.join();
    }
}

void AEMainWindow::finishWorker() {
    // The run's last message has arrived: the thread is ending.
    joinWorker();
    app_.setBusy(false);
    view_->setProcessing(false);
    refreshRemainingTime();
}

void AEMainWindow::loadButtonStates() {
    RegistryStore store;
    bool mono = false;
    bool loop = false;
    bool bypass = false;
    store.readFlag("monoButton", mono, false);
    store.readFlag("loopButton", loop, false);
    store.readFlag("bypassButton", bypass, false);
    monoButton_ = mono;
    loopButton_ = loop;
    bypassButton_ = bypass;
    for (auto [tag, on] : {std::pair{AEMainView::kMono, mono}, std::pair{AEMainView::kLoop, loop},
                           std::pair{AEMainView::kBypass, bypass}}) {
        const QSignalBlocker block(view_->button(tag));
        view_->button(tag)->setChecked(on);
    }
}

void AEMainWindow::saveButtonStates() const {
    RegistryStore store;
    store.writeFlag("monoButton", monoButton_);
    store.writeFlag("loopButton", loopButton_);
    store.writeFlag("bypassButton", bypassButton_);
}

void AEMainWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
    app_.requestQuit();
}

// --- Hooks -----------------------------------------------------------------------------

void AEMainWindow::end() {
    stopTransport();
}

void AEMainWindow::stoppedState() {
    view_->setTransportEnabled(projectLoaded_);
    refreshRemainingTime();
}

void AEMainWindow::endOfOperationRefresh() {
    view_->setTransportEnabled(projectLoaded_);
    QApplication::restoreOverrideCursor();
    refreshRemainingTime();
}

void AEMainWindow::recordingStopped(int32_t) {
    refreshRemainingTime();
}

void AEMainWindow::processedStateRefresh() {
    finishWorker();
}

void AEMainWindow::resetWaveformStates() {}

void AEMainWindow::redraw() {
    refreshRemainingTime();
    update();
}

void AEMainWindow::setBusyState(int32_t state) {
    view_->setTransportEnabled(state != 0 && projectLoaded_);
}

void AEMainWindow::endOfProcessingRefresh() {
    finishWorker();
}

void AEMainWindow::refreshWaveform() {}

void AEMainWindow::showTitle(int32_t number) {
    if (AEProject* project = app_.project()) {
        project->select(number);
    }
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
    if (app_.isBusy()) {
        return;
    }
    app_.setDirectory(kProjectDir,
                      QFileInfo(QString::fromStdString(path)).absolutePath().toStdString());
    QApplication::setOverrideCursor(Qt::WaitCursor);
    openProjectFile(path);
    QApplication::restoreOverrideCursor();
}
