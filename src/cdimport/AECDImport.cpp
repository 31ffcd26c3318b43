#include "AECDImport.h"

#include "AECDCopy.h"
#include "AECDImportView.h"
#include "AECDText.h"
#include "CddaWaveWriter.h"

#include "AEBackgroundJob.h"
#include "AEFileClaim.h"
#include "AEImportList.h"
#include "AEProject.h"
#include "DirectorySettings.h"
#include "ProjectHost.h"
#include "RegistryStore.h"

#include "CddaDrive.h"
#include "CddaDriveList.h"
#include "DiskSpace.h"
#include "FNPath.h"

#include <cstdio>
#include <optional>
#include <strings.h>

namespace {

constexpr const char* kImportName = "importName";
constexpr const char* kSelectedReader = "selectedReader";
constexpr const char* kAddToProject = "addToProject";

// Room a track of `sectors` needs on disk: its samples and the header.
bool trackFits(int32_t sectors, const std::string& directory) {
    const int64_t needKB = (int64_t{sectors} * kCddaSectorBytes + 1023) / 1024 + 1;
    return needKB <= DiskSpace::freeKB(directory.empty() ? "." : directory);
}

} // namespace

AECDImport::AECDImport(Target target, AECDImportView* view)
    : target_(target), view_(view), importName_(defaultImportName()) {}

AECDImport::~AECDImport() {
    stop();
    joinThread();
    addJob_.reset();
}

std::string AECDImport::defaultImportName() {
    return DirectorySettings::defaultDirectory() + "track.wav";
}

void AECDImport::open() {
    busy_.emplace();
    if (target_.list) {
        target_.list->importPending = true;
    }
    copying_ = false;
    readSettings();
    fillLists();
}

void AECDImport::close() {
    stop();
    joinThread();
    busy_.reset();
}

void AECDImport::readSettings() {
    const RegistryStore store;
    store.readText(kImportName, importName_, defaultImportName().c_str(), kNameCapacity);
    store.readInt(kSelectedReader, selectedReader_, 0);
    if (selectedReader_ < 0) {
        selectedReader_ = 0;
    }
    int32_t add = 0;
    store.readInt(kAddToProject, add, 0);
    addToProject_ = add != 0 ? 1 : 0;
}

void AECDImport::writeSettings() const {
    const RegistryStore store;
    store.writeText(kImportName, importName_.c_str());
    store.writeInt(kSelectedReader, selectedReader_);
    store.writeInt(kAddToProject, addToProject_);
}

void AECDImport::setImportName(std::string name) {
    if (name.size() > kNameCapacity) {
        name.resize(kNameCapacity);
    }
    importName_ = std::move(name);
}

int32_t AECDImport::validReader() const {
    // A drive that has gone since the setting was written: the first one instead.
    const CddaDriveList* map = lists_.driveMap();
    return map && selectedReader_ >= map->count() ? 0 : selectedReader_;
}

void AECDImport::fillLists() {
    lists_.prepare(selectedReader_); // the drive list tells whether the choice still exists
    selectedReader_ = validReader();
    lists_.prepare(selectedReader_);
    lists_.fill(selectedReader_);
}

bool AECDImport::chooseDrive(int32_t index) {
    if (copying() || index == selectedReader_ || index < 0) {
        return false;
    }
    selectedReader_ = index;
    lists_.refresh(selectedReader_);
    return true;
}

bool AECDImport::update() {
    if (copying()) {
        return false;
    }
    lists_.refresh(selectedReader_);
    return true;
}

void AECDImport::setRowSelected(int32_t row, bool selected) {
    if (row >= 0 && row < lists_.rowCount()) {
        lists_.slot(row).selected = selected;
    }
}

bool AECDImport::import() {
    writeSettings();
    if (copying_.exchange(true)) {
        return false;
    }
    joinThread();
    if (target_.list) {
        target_.list->importPending = false;
    }
    snapshot_ = target_.project ? target_.project->snapshot() : nullptr;
    thread_ = std::thread([this] {
        if (view_) {
            view_->setCopyControlsEnabled(false);
        }
        runCopy(false);
        if (view_) {
            view_->setCopyControlsEnabled(true);
        }
    });
    return true;
}

bool AECDImport::cancel() {
    writeSettings();
    if (copying()) {
        stop();
        return false;
    }
    return true;
}

void AECDImport::stop() {
    std::lock_guard<std::mutex> lock(mutex_);
    copying_ = false;
    if (copier_) {
        copier_->stopCopy();
    }
}

void AECDImport::joinThread() {
    if (thread_.joinable()) {
        thread_.join();
    }
}

void AECDImport::waitForCopy() {
    joinThread();
}

AECDImport::Report AECDImport::copyTracks() {
    if (copying_.exchange(true)) {
        return {};
    }
    snapshot_ = target_.project ? target_.project->snapshot() : nullptr;
    return runCopy(true);
}

AECDImport::Report AECDImport::lastReport() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return report_;
}

std::string AECDImport::trackFileName(const std::string& importName, int32_t track) {
    const FNPath path(importName);
    std::string base = path.fileName();
    constexpr size_t kExtension = 4;
    if (base.size() >= kExtension &&
        strcasecmp(base.c_str() + base.size() - kExtension, ".wav") == 0) {
        base.resize(base.size() - kExtension);
    }
    return path.directory() + base + "_" + std::to_string(track) + ".wav";
}

AECDImport::Report AECDImport::runCopy(bool addHere) {
    Report report;
    lists_.prepare(selectedReader_);
    CddaDrive* drive = lists_.drive();
    if (target_.list) {
        target_.list->clear();
    }
    if (drive) {
        drive->lock(true);
    }
    for (int32_t i = 0; i < AECDDriveLists::kSlots; ++i) {
        if (!lists_.slot(i).selected) {
            continue;
        }
        if (!copying_) {
            report.stopped = true;
            break;
        }
        const int32_t error = drive ? copyTrack(*drive, i + 1, report) : kCddaNoDrive;
        if (report.stopped) {
            break;
        }
        if (error != kCddaOk) {
            report.failedTracks.push_back(i + 1);
            report.diskFull = report.diskFull || error == kCddaDiskFull;
            if (report.firstError == kCddaOk) {
                report.firstError = error;
            }
        }
    }
    reportFailures(report);
    if (drive) {
        drive->lock(false);
    }
    copying_ = false;
    if (addToProject_ == 1 && target_.project && target_.list && target_.files && !report.stopped &&
        !report.files.empty()) {
        addToTheProject(addHere);
        report.addedToProject = true;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    report_ = report;
    return report;
}

int32_t AECDImport::copyTrack(CddaDrive& drive, int32_t track, Report& report) {
    CddaTrackInfo info;
    if (const int32_t error = drive.readTrackInfo(track, info); error != kCddaOk) {
        return error;
    }
    if (info.type != kCddaAudioTrack) {
        report.dataTracks.push_back(track);
        return kCddaOk;
    }
    // A track copied before under this name, or a title's file, stays: the copy takes the
    // next free name of the series (track_1.wav, track_1-2.wav...).
    std::optional<AEFileClaim> claim =
        AEFileClaim::claim(trackFileName(importName_, track), snapshot_.get());
    if (!claim) {
        return kCddaCreateFailed;
    }
    CddaWaveWriter writer;
    const std::string name = claim->path();
    currentFile_ = name;
    int32_t error = writer.init(name);
    if (error == kCddaOk && !trackFits(info.length, FNPath(name).directory())) {
        error = kCddaDiskFull;
    }
    if (error != kCddaOk) {
        return error;
    }
    AECDCopy copier(*this, drive, writer, info.start, info.length);
    error = copier.lastError();
    if (error != kCddaOk) {
        return error;
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        copier_ = &copier;
        if (!copying_) {
            copier.stopCopy();
        }
    }
    error = copier.copy();
    {
        std::lock_guard<std::mutex> lock(mutex_);
        copier_ = nullptr;
    }
    if (!copying_) {
        report.stopped = true; // the writer removes the unfinished file
        return kCddaStopped;
    }
    if (error == kCddaOk) {
        error = writer.done();
    }
    if (error == kCddaOk) {
        claim->keep();
        report.files.push_back(name);
        if (target_.list) {
            target_.list->add(name);
        }
    }
    return error;
}

void AECDImport::reportFailures(const Report& report) const {
    if (report.failedTracks.empty()) {
        return;
    }
    std::string message = AECDText::text(AECDText::kGrabError) + "\n";
    for (size_t i = 0; i < report.failedTracks.size(); ++i) {
        const int32_t track = report.failedTracks[i];
        message += (i > 0 ? ", " : "") + lists_.slot(track - 1).name;
    }
    if (report.diskFull) {
        message += "\n" + AECDText::text(AECDText::kDiskFull);
    }
    ProjectHost::log(("CD import: " + std::string(cddaErrorText(report.firstError))).c_str());
    ProjectHost::showText(message);
}

void AECDImport::addToTheProject(bool here) {
    if (view_) {
        view_->addingToProject();
    }
    addJob_.reset();
    addReport_ = {};
    if (here) {
        addReport_ = AEAddToProject::run(*target_.project, *target_.files, *target_.list);
    } else {
        addJob_ =
            AEAddToProject::start(std::move(snapshot_), *target_.files, *target_.list, &addReport_);
    }
}

void AECDImport::copyStarted() {
    if (view_) {
        view_->showProgress(0, " ");
    }
}

void AECDImport::copyProgress(float percent) {
    if (!view_) {
        return;
    }
    const auto position = static_cast<int32_t>(static_cast<double>(percent) * 655.35);
    char text[64];
    std::snprintf(text, sizeof text, " ... %ld %%", static_cast<long>(percent));
    view_->showProgress(position, currentFile_ + text);
}

void AECDImport::copyFinished() {
    copyStarted();
}
