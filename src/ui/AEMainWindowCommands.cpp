// The main window's commands: one table of the menu commands and the main view's controls,
// what each needs before it runs, and the menus built from it.
#include "AEMainWindow.h"

#include "AEApplication.h"
#include "AEBusyGuard.h"
#include "AEDialogCommands.h"
#include "AEEditOperations.h"
#include "AEExport.h"
#include "AELoudnessDialog.h"
#include "AEMainView.h"
#include "AEProject.h"
#include "AETitleRunController.h"
#include "AETitleRuns.h"
#include "AEWaveformView.h"
#include "AEWindowTransport.h"
#include "HelpMenu.h"
#include "ProjectHost.h"
#include "RegistryStore.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>

#include <algorithm>

namespace {

// Directory slot of the title list export (DirectorySettings order).
constexpr int kTitleListExportDir = 2;
constexpr int32_t kStringTitleListFailed = 3292;

// An entry of a menu: a command number, a separator, or a submenu whose text id is
// given negated (its entries are the row of the menu layout with that text id).
constexpr int32_t kSeparator = 0;

struct MenuRow {
    int32_t textId;
    bool topLevel;
    std::vector<int32_t> entries;
};

const std::vector<MenuRow>& menuLayout() {
    using W = AEMainWindow;
    static const std::vector<MenuRow> rows = {
        {3073,
         true,
         {W::kNewProject, W::kOpenProject, kSeparator, W::kSaveProject, W::kSaveProjectAs,
          W::kRefresh, kSeparator, W::kExportAudio, W::kExportFlac, W::kExportTitleList,
          W::kExportDiscImage, W::kExportAlbum, kSeparator, W::kSelectTempDirectory, kSeparator,
          W::kQuit, kSeparator, W::kAbout}},
        {3108, true, {-3111, -3170, W::kSoundcardSettings, kSeparator, W::kFitWaveform}},
        {3111, false, {W::kUseLeftChannel, W::kUseRightChannel}},
        {3170, false, {W::kRestorationClassic, W::kRestorationEnhanced}},
        {3091,
         true,
         {W::kNormalizeSelected, W::kNormalizeAll, W::kNormalizeLoudness, kSeparator,
          W::kSplitAtSilences}},
        {3085, true, {W::kImportFromCd, W::kImportAudioFiles}},
        {3113, true, {W::kHomePage, W::kServicePage}},
    };
    return rows;
}

} // namespace

const std::vector<AEMainWindow::CommandRow>& AEMainWindow::commandTable() {
    using V = AEMainView;
    using W = AEMainWindow;
    constexpr QKeySequence::StandardKey kNoKey = QKeySequence::UnknownKey;
    constexpr uint8_t kIdleProject = kProject | kIdle;
    static const std::vector<CommandRow> rows = {
        // Menu commands.
        {kNewProject, 3074, kIdle, QKeySequence::New, [](W& w, int32_t) { w.newProject(); }},
        {kOpenProject, 3075, kIdle, QKeySequence::Open, [](W& w, int32_t) { w.openProject(); }},
        {kSaveProject, 3076, kProject | kTitles, QKeySequence::Save,
         [](W& w, int32_t) {
             if (!w.app_.projectPath().empty() && !w.app_.saveProject()) {
                 w.app_.alertString(w.app_.stringId(3004, 0));
             }
         }},
        {kSaveProjectAs, 3077, kIdleProject | kMainView, kNoKey,
         [](W& w, int32_t) { w.saveProjectAs(); }},
        {kRefresh, 3283, kIdleProject | kStops, QKeySequence::Refresh,
         [](W& w, int32_t) {
             // A drive that came back: its titles play again.
             w.app_.project()->refreshAudio();
             w.refreshTitleViews();
             w.refreshRemainingTime();
         }},
        {kExportAudio, 3078, kIdleProject | kStops, kNoKey,
         [](W& w, int32_t) { w.dialogCommands_->exportAudio(); }},
        {kExportFlac, 3143, kIdleProject | kStops, kNoKey,
         [](W& w, int32_t) { w.dialogCommands_->exportFlac(); }},
        {kExportTitleList, 3079, kIdleProject | kMainView | kTitles | kStops, kNoKey,
         [](W& w, int32_t) { w.exportTitleList(); }},
        {kExportDiscImage, 3260, kIdleProject | kStops, kNoKey,
         [](W& w, int32_t) { w.dialogCommands_->exportDiscImage(); }},
        {kExportAlbum, 3340, kIdleProject | kTitles | kStops, kNoKey,
         [](W& w, int32_t) { w.dialogCommands_->exportAlbum(); }},
        {kSelectTempDirectory, 3080, kIdleProject | kStops, kNoKey,
         [](W& w, int32_t) { w.chooseBaseDirectory(); }},
        {kQuit, 3081, kAnytime, QKeySequence::Quit, [](W& w, int32_t) { w.quitSaving(); }},
        {kAbout, 3082, kAnytime, kNoKey, [](W& w, int32_t) { w.showAbout(!w.aboutShown_); }},
        {kUseLeftChannel, 3109, kIdle | kNotRecording, kNoKey,
         [](W& w, int32_t id) { w.setMonoUseLeft(id == kUseLeftChannel); }},
        {kUseRightChannel, 3110, kIdle | kNotRecording, kNoKey,
         [](W& w, int32_t id) { w.setMonoUseLeft(id == kUseLeftChannel); }},
        {kRestorationClassic, 3171, kAnytime, kNoKey,
         [](W& w, int32_t) { w.setRestorationMode(RestorationMode::kClassic); }},
        {kRestorationEnhanced, 3172, kAnytime, kNoKey,
         [](W& w, int32_t) { w.setRestorationMode(RestorationMode::kEnhanced); }},
        {kSoundcardSettings, 3116, kIdle | kStops, kNoKey,
         [](W& w, int32_t) { w.dialogCommands_->soundcardSettings(); }},
        {kNormalizeSelected, 3092, kIdleProject | kTitles | kStops, kNoKey,
         [](W& w, int32_t) { w.askToNormalize(false); }},
        {kNormalizeAll, 3093, kIdleProject | kTitles | kStops, kNoKey,
         [](W& w, int32_t) { w.askToNormalize(true); }},
        {kNormalizeLoudness, 3360, kIdleProject | kTitles | kStops, kNoKey,
         [](W& w, int32_t) { w.askToNormalizeLoudness(); }},
        {kSplitAtSilences, 3261, kIdleProject | kStops, kNoKey,
         [](W& w, int32_t) { w.dialogCommands_->splitAtSilences(); }},
        {kImportFromCd, 3086, kIdle | kStops, kNoKey,
         [](W& w, int32_t) { w.dialogCommands_->importFromCd(); }},
        {kImportAudioFiles, 3141, kIdleProject | kNotRecording, kNoKey,
         [](W& w, int32_t) { w.dialogCommands_->importAudioFiles(); }},
        {kProcessAll, 0, kIdleProject | kTitles | kStops, kNoKey,
         [](W& w, int32_t) { w.processChosen(allTitles(*w.app_.project())); }},
        {kFitWaveform, 3310, kAnytime, kNoKey, [](W& w, int32_t) { w.waveform().fit(); }},
        {kHomePage, 3311, kAnytime, kNoKey, [](W& w, int32_t) { HelpMenu::openManual(w.app_); }},
        {kServicePage, 3312, kAnytime, kNoKey,
         [](W& w, int32_t) { HelpMenu::showInfo(w.app_, &w); }},

        // Controls of the main view.
        {V::kRecord, 0, kProject, kNoKey,
         [](W& w, int32_t) {
             if (w.transport_->record()) {
                 w.refreshWaveform();
                 w.redraw();
             }
         }},
        {V::kPlay, 0, kProject, kNoKey, [](W& w, int32_t) { w.transport_->play(); }},
        {V::kStop, 0, kProject, kNoKey, [](W& w, int32_t) { w.stopProcedure(); }},
        {V::kRewind, 0, kProject, kNoKey, [](W& w, int32_t) { w.wind(false); }},
        {V::kForward, 0, kProject, kNoKey, [](W& w, int32_t) { w.wind(true); }},
        {V::kDeleteTitle, 0, kIdleProject, kNoKey, [](W& w, int32_t) { w.removeTitle(true); }},
        {V::kRemoveTitle, 0, kIdleProject, kNoKey, [](W& w, int32_t) { w.removeTitle(false); }},
        {V::kProcessCurrent, 0, kIdleProject | kTitles | kStops, kNoKey,
         [](W& w, int32_t) {
             if (const int32_t current = w.app_.project()->currentTitle(); current >= 0) {
                 w.processChosen({current});
             }
         }},
        {V::kProcessAll, 0, kAnytime, kNoKey, [](W& w, int32_t) { w.command(kProcessAll); }},
        {V::kCancelProcessing, 0, kAnytime, kNoKey,
         [](W& w, int32_t) { w.app_.setCancelRequested(true); }},
        {V::kImportWave, 0, kIdleProject | kNotRecording, kNoKey,
         [](W& w, int32_t) { w.dialogCommands_->importWaveFiles(); }},
        {V::kSplitAtSilences, 0, kAnytime, kNoKey,
         [](W& w, int32_t) { w.command(kSplitAtSilences); }},
        {V::kZoomIn, 0, kAnytime, kNoKey, [](W& w, int32_t) { w.waveform().zoomIn(); }},
        {V::kZoomOut, 0, kAnytime, kNoKey, [](W& w, int32_t) { w.waveform().zoomOut(); }},
        {V::kMoveUp, 0, kIdleProject | kNotRecording, kNoKey,
         [](W& w, int32_t) { w.moveTitle(true); }},
        {V::kMoveDown, 0, kIdleProject | kNotRecording, kNoKey,
         [](W& w, int32_t) { w.moveTitle(false); }},
    };
    return rows;
}

const AEMainWindow::CommandRow* AEMainWindow::commandRow(int32_t id) {
    const auto& rows = commandTable();
    const auto row =
        std::find_if(rows.begin(), rows.end(), [id](const CommandRow& r) { return r.id == id; });
    return row == rows.end() ? nullptr : &*row;
}

bool AEMainWindow::allowed(const CommandRow& row) const {
    const AEProject* project = app_.project();
    const bool loaded = projectLoaded_ && project;
    return !((row.needs & kProject) && !loaded) && !((row.needs & kIdle) && app_.isBusy()) &&
           !((row.needs & kNotRecording) && app_.engine().state() == AEAudioEngine::kRecording) &&
           !((row.needs & kMainView) && aboutShown_) &&
           !((row.needs & kTitles) && (!project || project->titleCount() == 0));
}

bool AEMainWindow::command(int32_t number) {
    const CommandRow* row = number >= kNewProject ? commandRow(number) : nullptr;
    if (!row) {
        return false;
    }
    run(*row);
    return true;
}

void AEMainWindow::control(int32_t tag, int32_t value) {
    if (const CommandRow* row = tag < kNewProject ? commandRow(tag) : nullptr) {
        run(*row);
        return;
    }
    switch (tag) {
    case AEMainView::kLoop:
        transport_->setLoop(value != 0);
        return;
    case AEMainView::kBypass:
        transport_->setBypass(value != 0);
        return;
    case AEMainView::kMono:
        if (!transport_->setMono(value != 0)) {
            const QSignalBlocker block(view_->button(tag));
            view_->button(tag)->setChecked(transport_->mono());
        }
        return;
    default:
        break;
    }
    for (int slot = 0; slot < AEMainView::kSliders; ++slot) {
        if (tag == kRestorationStages[static_cast<size_t>(slot)].sliderTag) {
            transport_->sliderMoved(slot);
        } else if (tag == kRestorationStages[static_cast<size_t>(slot)].switchTag) {
            transport_->switchToggled(slot);
        }
    }
}

void AEMainWindow::run(const CommandRow& row) {
    if (allowed(row)) {
        if (row.needs & kStops) {
            stopTransport();
        }
        row.handler(*this, row.id);
    }
    // A refused or carried out choice: the check marks show what holds.
    if (QAction* left = action(kUseLeftChannel)) {
        left->setChecked(monoUseLeft_);
        action(kUseRightChannel)->setChecked(!monoUseLeft_);
    }
}

void AEMainWindow::buildMenus() {
    std::vector<std::pair<int32_t, QMenu*>> menus;
    auto fill = [&](QMenu* menu, const MenuRow& layout, auto& self) -> void {
        for (int32_t entry : layout.entries) {
            if (entry == kSeparator) {
                menu->addSeparator();
            } else if (entry < 0) {
                QMenu* sub = menu->addMenu(text(-entry));
                for (const MenuRow& row : menuLayout()) {
                    if (row.textId == -entry) {
                        self(sub, row, self);
                    }
                }
            } else if (const CommandRow* row = commandRow(entry)) {
                QAction* a = menu->addAction(text(row->textId));
                a->setData(entry);
                a->setShortcut(row->key);
                if (entry == kFitWaveform) {
                    // F is the main view's key (keyTyped), shown here but not a shortcut.
                    a->setText(a->text() + QStringLiteral("\tF"));
                }
                connect(a, &QAction::triggered, this, [this, entry] { command(entry); });
                actions_.emplace_back(entry, a);
            }
        }
    };
    for (const MenuRow& row : menuLayout()) {
        if (row.topLevel) {
            fill(menuBar()->addMenu(text(row.textId)), row, fill);
        }
    }
    for (int32_t number :
         {kUseLeftChannel, kUseRightChannel, kRestorationClassic, kRestorationEnhanced}) {
        action(number)->setCheckable(true);
    }
    action(kUseLeftChannel)->setChecked(monoUseLeft_);
    action(kUseRightChannel)->setChecked(!monoUseLeft_);
    action(kRestorationClassic)->setChecked(restorationMode_ == RestorationMode::kClassic);
    action(kRestorationEnhanced)->setChecked(restorationMode_ == RestorationMode::kEnhanced);
}

QAction* AEMainWindow::action(int32_t number) const {
    for (const auto& [n, a] : actions_) {
        if (n == number) {
            return a;
        }
    }
    return nullptr;
}

// --- Keys ------------------------------------------------------------------------------

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
    case Qt::Key_F:
        command(kFitWaveform);
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

// --- Handlers ----------------------------------------------------------------------------

void AEMainWindow::setMonoUseLeft(bool useLeft) {
    monoUseLeft_ = useLeft;
    transport_->setMonoUseLeft(monoUseLeft_);
    RegistryStore().writeInt("monoUseLeft", monoUseLeft_ ? 1 : 0);
}

void AEMainWindow::chooseBaseDirectory() {
    AEProject* project = app_.project();
    const QString dir =
        chooser_->folder(this, text(3048), QString::fromStdString(project->baseDirectory()));
    if (!dir.isEmpty()) {
        project->setBaseDirectory(QDir::toNativeSeparators(dir).toStdString() + "/");
        app_.refreshFreeSpace();
    }
}

void AEMainWindow::exportTitleList() {
    const AEProject& project = *app_.project();
    const AEBusyGuard busyNow;
    const QString start = QString::fromStdString(app_.directory(kTitleListExportDir));
    const QString chosen = chooser_->saveFile(
        this, text(3056), QDir(start).filePath("Tracklist.txt"), text(3057), QStringLiteral("txt"));
    const std::string path = chosen.toStdString();
    if (chosen.isEmpty() || refuseTitleFile(path)) {
        return;
    }
    if (AEExport::exportTitleList(&project, path, app_.cdCapacitySeconds())) {
        app_.setDirectory(kTitleListExportDir, QFileInfo(chosen).absolutePath().toStdString());
    } else {
        app_.alert(ProjectHost::textWith(kStringTitleListFailed, path));
    }
}

void AEMainWindow::askToNormalize(bool all) {
    const AEProject& project = *app_.project();
    if (!all && project.currentTitle() < 0) {
        return;
    }
    const std::vector<int32_t> titles =
        all ? allTitles(project) : std::vector<int32_t>{project.currentTitle()};
    if (!refuseMissingAudio(titles) && app_.askYesNo(app_.stringId(all ? 3088 : 3089, 0))) {
        titleRuns_->start(AETitleRunKind::kNormalize, titles);
    }
}

void AEMainWindow::askToNormalizeLoudness() {
    const std::vector<int32_t> titles = allTitles(*app_.project());
    if (refuseMissingAudio(titles)) {
        return;
    }
    AELoudnessDialog dialog([this](int32_t id) { return text(id); }, this);
    if (dialog.exec() != QDialog::Accepted || dialog.choice() == AELoudnessDialog::kCancel) {
        return;
    }
    titleRuns_->start(dialog.choice() == AELoudnessDialog::kNormalize
                          ? AETitleRunKind::kLoudness
                          : AETitleRunKind::kMeasureLoudness,
                      titles, dialog.target());
}

void AEMainWindow::processChosen(const std::vector<int32_t>& titles) {
    if (!refuseMissingAudio(titles)) {
        titleRuns_->start(AETitleRunKind::kProcess, titles);
    }
}

void AEMainWindow::wind(bool forward) {
    transport_->wind(forward);
    refreshWaveform();
}

void AEMainWindow::moveTitle(bool up) {
    AEProject* project = app_.project();
    up ? project->moveCurrentUp() : project->moveCurrentDown();
    refreshTitleViews();
}
