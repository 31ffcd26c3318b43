#pragma once

#include "AEAddToProject.h"
#include "AEBusyGuard.h"
#include "AECDDriveLists.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

class AEBackgroundJob;
class AECDCopy;
class AECDImportView;
class AEFileManager;
class AEImportList;
class AEProject;

// One CD import run: the state behind the dialog "Importing Audio tracks from CD" (its
// three settings, the drive and track lists) and the copy of the selected tracks into
// WAVE files named "<folder><name>_<track>.wav" after the chosen target path, on a thread
// of its own, with the hand-over of the copied files to the project. The dialog only shows
// this object's state and passes its buttons on. Data tracks are skipped without a word;
// a track that fails or is stopped leaves no file; when any selected track failed the
// user is told which ("Error while grabbing from CD!"), while the tracks copied still
// count.
//
// The copy thread never touches the project: the names it takes are checked against a
// snapshot taken when the copy starts, and the titles are added by the window when it
// handles the add-to-project run's message 4 (AEAddToProject).
class AECDImport {
public:
    // Where copied files go once copied.
    struct Target {
        AEImportList* list = nullptr;         // the main window's import list
        AEProject* project = nullptr;         // null when no project is loaded
        const AEFileManager* files = nullptr; // builds the titles' peak files
    };

    // What a copy did.
    struct Report {
        std::vector<std::string> files;    // completed files, in track order
        std::vector<int32_t> failedTracks; // selected audio tracks not copied
        std::vector<int32_t> dataTracks;   // selected data tracks, skipped
        int32_t firstError = 0;            // the CD layer's error of the first failure
        bool stopped = false;
        bool diskFull = false;       // a track did not fit on the disk
        bool addedToProject = false; // the add-to-project thread was started
    };

    static constexpr size_t kNameCapacity = 1023;

    explicit AECDImport(Target target, AECDImportView* view = nullptr);
    // Stops a running copy and waits for it and for an add-to-project thread.
    ~AECDImport();
    AECDImport(const AECDImport&) = delete;
    AECDImport& operator=(const AECDImport&) = delete;

    // The dialog opens: the application is busy, the settings are read, the lists filled.
    void open();
    // The dialog has closed: a running copy is stopped and waited for; the program stays
    // busy only while files are still being added to the project.
    void close();

    // "importName", "selectedReader" and "addToProject" in the settings store.
    void readSettings();
    void writeSettings() const;
    const std::string& importName() const { return importName_; }
    void setImportName(std::string name);
    int32_t selectedReader() const { return selectedReader_; }
    // Chooses the drive without filling the lists (see chooseDrive for the dialog).
    void setSelectedReader(int32_t reader) { selectedReader_ = reader; }
    bool addToProject() const { return addToProject_ == 1; }
    void setAddToProject(bool on) { addToProject_ = on ? 1 : 0; }
    // The check box can only be used while a project is loaded.
    bool addToProjectEnabled() const { return target_.project != nullptr; }

    AECDDriveLists& lists() { return lists_; }
    const AECDDriveLists& lists() const { return lists_; }
    // Fills the lists for the chosen drive (the first one when the choice is out of range).
    void fillLists();
    // The drive list's choice changed. False, and nothing reloaded, when it is the drive
    // chosen already or a copy runs.
    bool chooseDrive(int32_t index);
    // "Update": reads the drives and the disc again; false while a copy runs.
    bool update();
    // Marks the rows of the track list that are selected (row r is track r + 1).
    void setRowSelected(int32_t row, bool selected);

    // Import: writes the settings and starts the copy thread; false when one runs already.
    bool import();
    // Cancel: writes the settings; while a copy runs it is stopped and false returned (the
    // dialog stays), otherwise true (the dialog closes).
    bool cancel();
    // Asks a running copy to stop (any thread); the current track's file is removed.
    void stop();
    bool copying() const { return copying_.load(); }
    // Waits until the copy thread has ended.
    void waitForCopy();
    // The copy procedure on the calling thread (gleam-cli, tests), the copied files added to
    // the project on it too; ignored (an empty report) while the copy thread runs.
    Report copyTracks();
    // The report of the last copy, once it has ended.
    Report lastReport() const;

    // The add-to-project thread the last copy on the copy thread started (null when none),
    // and the report of the last hand-over, valid once it has ended.
    AEBackgroundJob* addJob() const { return addJob_.get(); }
    const AEAddToProject::Report& addReport() const { return addReport_; }

    // The file of `track` for the target path `importName`: its folder, its file name
    // without a final ".wav" (in any letter case), "_", the track number and ".wav".
    static std::string trackFileName(const std::string& importName, int32_t track);
    // The default target path: "track.wav" in the user's home directory.
    static std::string defaultImportName();

    // The file being written (" " before the first); read it on the copying thread.
    const std::string& currentFile() const { return currentFile_; }

    // The notifications of the track being copied (copy thread).
    void copyStarted();
    void copyProgress(float percent);
    void copyFinished();

private:
    int32_t validReader() const;
    // `addHere`: the copied files are added to the project on the calling thread.
    Report runCopy(bool addHere);
    int32_t copyTrack(CddaDrive& drive, int32_t track, Report& report);
    void reportFailures(const Report& report) const;
    void addToTheProject(bool here);
    void joinThread();

    Target target_;
    AECDImportView* view_;
    AECDDriveLists lists_;
    std::string importName_;
    int32_t selectedReader_ = 0;
    int32_t addToProject_ = 0;
    std::string currentFile_ = " ";
    std::optional<AEBusyGuard> busy_;
    // The project as the copy started: the copy's names are checked against it, and the
    // add-to-project thread works from it.
    std::unique_ptr<AEProject> snapshot_;

    std::atomic<bool> copying_{false};
    std::thread thread_;
    // Guards copier_ (the copy thread sets it, stop() uses it) and report_.
    mutable std::mutex mutex_;
    AECDCopy* copier_ = nullptr;
    Report report_;

    std::unique_ptr<AEBackgroundJob> addJob_;
    AEAddToProject::Report addReport_;
};
