#pragma once

#include "AERecordingJournal.h"
#include "AETitle.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// A project: the titles of one future audio CD in disc order (at most 99), the CD's title
// and the base directory in which new audio files are made. Every title's fileIndex is its
// position in the list. Stored in a project file of tagged records (AETaggedFile).
//
// Window thread only; worker runs get a snapshot and return their outcome in their message.
class AEProject {
public:
    static constexpr int32_t kMaxTitles = 99;
    static constexpr int32_t kVersion = 1000;
    // A title must be 7 s long (308 700 frames); one frame less is tolerated on loading.
    static constexpr int32_t kMinimumFrames = 308699;
    static constexpr int32_t kDefaultCdCapacitySeconds = 4800;
    static constexpr const char* kNoTrackName = "no trackname";

    enum Direction : int32_t { kPrevious = 0, kNext = 1, kFirst = 2, kLast = 3 };

    // What loading found: why a file was refused, and the titles dropped because their
    // audio is missing or too short.
    struct LoadReport {
        std::string error;
        std::vector<std::string> removedTitles;
        // The files of the titles kept though their audio is away.
        std::vector<std::string> missingFiles;
    };

    // An empty project in the user's home directory, titled "No CD title.".
    AEProject();
    // An empty project for the project file `path` ("New Project..."): titled after the
    // file name without its extension, its base directory the file's directory.
    static std::unique_ptr<AEProject> createForPath(const std::string& path);
    // A copy of the project and its titles, taken on the window thread, for a worker to
    // read (or to change privately) while the window's project goes on changing.
    std::unique_ptr<AEProject> snapshot() const;

    // Reads a project file, drops the titles whose audio is there but shorter than 7 s
    // (reporting them once with a message), marks those whose audio is away as missing
    // (they stay, and are saved as they were) and makes the last title current. Null when
    // the file cannot be read or is damaged; `report` says why.
    static std::unique_ptr<AEProject> load(const std::string& path, LoadReport* report = nullptr);
    // Writes the project file; the old file is replaced only once the new one is complete.
    // True only when at least one title was written; `written` tells whether the file was
    // written at all (an empty project still is).
    bool save(const std::string& path, bool* written = nullptr) const;

    // --- Titles --------------------------------------------------------------------------
    // Appends a new title; refused at 99 titles.
    bool addTitle(bool makeCurrent);
    // Adds a title for an existing 44.1 kHz 16-bit stereo file `path` (ending in ".wav").
    bool addImportedFile(const std::string& path);
    // Removes title `index`; with `deleteFiles` its audio and peak files go too, unless
    // another title names the same audio (in any letter case). No title is current after.
    bool deleteTitle(int32_t index, bool deleteFiles);
    // Puts `titles` in the place of title `index`, the first of them current; refused
    // when there is no such title, `titles` is empty or the project would pass 99 titles.
    bool replaceTitle(int32_t index, std::vector<std::unique_ptr<AETitle>> titles);
    bool moveCurrentDown();
    bool moveCurrentUp();
    // Moves the current title by Direction; refused while the engine plays or records,
    // with fewer than two titles, or when there is no title that way.
    bool step(int32_t direction);
    // Makes title `index` current; refused while the engine plays or records, while the
    // application is busy, out of range, or when it is current already.
    bool select(int32_t index);

    // --- Fields ------------------------------------------------------------------------
    const std::string& projectTitle() const { return projectTitle_; }
    void setProjectTitle(std::string title) { projectTitle_ = std::move(title); }
    const std::string& baseDirectory() const { return baseDirectory_; }
    void setBaseDirectory(std::string directory) { baseDirectory_ = std::move(directory); }
    int32_t currentTitle() const { return currentTitle_; }
    int32_t titleCount() const { return static_cast<int32_t>(titles_.size()); }
    // Title `index`, or null when there is none.
    AETitle* title(int32_t index);
    const AETitle* title(int32_t index) const;

    // Fields by index; an index without a title gives the defaults of "no title".
    int32_t fileIndex(int32_t index) const;
    std::string artist(int32_t index) const;
    std::string audioBase(int32_t index) const;
    std::string displayName(int32_t index) const;
    std::string pauseSeconds(int32_t index) const;
    std::string processedPath(int32_t index) const;
    std::string sourcePath(int32_t index) const;
    int32_t processorParam(int32_t index, int slot) const;
    bool processorEnabled(int32_t index, int slot) const;
    int32_t fadePoint(int32_t index, int k) const;
    int32_t stateCode(int32_t index) const;
    int32_t zoom(int32_t index) const;
    int32_t length(int32_t index) const;
    bool isSelected(int32_t index) const;
    int32_t marker(int32_t index, int k) const;
    // The file title `index` plays now ("" without such a title).
    std::string currentAudioPath(int32_t index) const;

    // The length field as minutes:seconds.
    std::string lengthText(int32_t index) const;
    // Playing lengths and pauses of all titles, in frames.
    int64_t totalFrames() const;
    // The total as minutes:seconds; true when it fits a disc of `capacitySeconds`.
    bool totalTime(std::string& textOut, int32_t capacitySeconds = kDefaultCdCapacitySeconds) const;

    // Sets every title's length from its current audio file (−1 when it cannot be opened).
    void updateLengths();
    // Looks for every title's audio again: a title whose file is away is marked missing
    // (length −1), one whose file is back is normal again. Returns the titles that changed.
    std::vector<int32_t> refreshAudio();
    // The titles whose audio was missing when last looked for.
    std::vector<int32_t> missingTitles() const;
    // The audio file of the first of `indices` that is not there now (a drive away, a file
    // moved), "" when all are: what plays, processes or exports a title refuses it.
    std::string missingAudio(const std::vector<int32_t>& indices) const;
    // Whether a title refers to `path` (its original, source or processed file).
    bool refersTo(const std::string& path) const;

private:
    // Removes the titles whose audio is there but shorter than kMinimumFrames (files kept),
    // makes the last title current, sets every length and marks missing audio.
    void dropUnplayableTitles(std::vector<std::string>& removed);
    // Titles of recordings mended after a crash play their whole audio.
    void adoptRecovered(const std::vector<AERecordingJournal::Recovered>& recovered);
    void renumber();
    void makeCurrent(int32_t index);
    // The name of the next new title: "Title n".
    std::string nextTitleName() const;

    std::string projectTitle_;
    std::string baseDirectory_;
    int32_t currentTitle_ = -1;
    std::vector<std::unique_ptr<AETitle>> titles_;
};
