#pragma once

#include <cstdint>
#include <functional>
#include <string>

class AEProject;

// The one place that knows where a title's audio lives and how much room the disk has:
// it turns a title index of the current project into the path of the title's current
// audio file, measures audio files, checks free space, deletes a title's files with their
// peak files, hands a title to the audio engine and builds the peak file of an import.
class AEFileManager {
public:
    AEFileManager();

    // The current project (not owned; null when none is open).
    void setProject(const AEProject* project) { project_ = project; }
    const AEProject* project() const { return project_; }
    // Where the `lastDirectory` setting comes from, for when no project is open.
    void setLastDirectorySource(std::function<std::string()> source) {
        lastDirectory_ = std::move(source);
    }

    // Title `index`'s current audio file; "" when the project has no such title; "error"
    // (after a message) without a project.
    std::string getFileName(int32_t index) const;
    // Frames of title `index`'s current audio file, −1 when it cannot be opened.
    int32_t getLength(int32_t index) const;
    // Frames of the audio file `path`, 0 when it cannot be opened.
    int32_t getLengthOfPath(const std::string& path) const;
    // The project's base directory, or the last directory without a project.
    std::string baseDirectory() const;
    // Size and space available to the user of the base directory's drive, in kilobytes.
    int64_t totalSpaceKB() const;
    int64_t freeSpaceKB() const;
    // True when `frames` (4 bytes each) fit in the free space.
    bool hasRoomForFrames(int64_t frames) const;
    // Deletes title `index`'s current audio file and its peak file; a missing file is no
    // error.
    bool deleteFiles(int32_t index) const;
    // Makes title `index` the engine's file (−1 releases it); false without an engine.
    bool loadIntoEngine(int32_t index) const;
    // Builds the peak file of the imported audio file `path`.
    bool newImportFile(const std::string& path) const;

    // Frames of the audio file `path`, −1 when it cannot be opened as one.
    static int32_t framesOf(const std::string& path);
    // Removes an audio file and the peak file beside it.
    static void deleteAudioAndPeaks(const std::string& audioPath);
    // The user's home directory with a trailing "/".
    static std::string defaultDirectory();

private:
    const AEProject* project_ = nullptr;
    std::function<std::string()> lastDirectory_;
};
