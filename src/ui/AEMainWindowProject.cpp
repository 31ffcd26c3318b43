// The main window's project document: new, open, save as, and what happens to the open
// project when another takes its place or the program quits.
#include "AEMainWindow.h"

#include "AEApplication.h"
#include "AEBusyGuard.h"
#include "AEProject.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

namespace {

// Directory slot of project files (DirectorySettings order).
constexpr int kProjectDir = 3;

constexpr int32_t kStringNotSavedSaveAs = 3301;
constexpr int32_t kStringQuitUnsaved = 3302;

} // namespace

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
