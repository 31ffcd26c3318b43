#pragma once

#include "FPendingFile.h"

#include <cstdint>
#include <memory>
#include <string>

class AEProject;

// The name of a title's next processed file: directory, the source's name without ".wav",
// a three-digit counter, the project file's name without its extension, ".p.wav" — the
// counter being the first from 000 up whose name is not taken. `projectPath` may be ""
// (no project).
std::string processedFileName(const std::string& directory, const std::string& sourceName,
                              const std::string& projectPath);

// A new audio file written by a processing or normalizing run. It is written under a
// temporary name beside its final path and moved into place by commit(), so a cancelled
// or failed run leaves no half-written file; until then destroying it removes what was
// written.
class AEProcessedFile {
public:
    // The next processed file of `sourceName` in `directory`: the first counter whose name
    // is free (AEFileClaim: no file or peak file has it, no title of `project` refers to
    // it). The name is taken at once (as an empty file), so runs side by side never choose
    // the same one. Null when no name can be taken.
    static std::unique_ptr<AEProcessedFile> claim(const std::string& directory,
                                                  const std::string& sourceName,
                                                  const std::string& projectPath,
                                                  const AEProject* project = nullptr);
    // A file at a path the caller chose; an existing file there is replaced on commit().
    explicit AEProcessedFile(const std::string& path);
    ~AEProcessedFile();
    AEProcessedFile(const AEProcessedFile&) = delete;
    AEProcessedFile& operator=(const AEProcessedFile&) = delete;

    const std::string& path() const { return pending_.finalPath(); }
    // Where the audio is written until commit().
    const std::string& writePath() const { return pending_.pendingPath(); }
    bool commit();

    // True when `frames` of 16-bit stereo, one percent and 640 KB more fit in the space
    // left beside `path`.
    static bool fitsOnDisk(int64_t frames, const std::string& path);

    // Makes `path` the current audio of title `index`: its processed path, state
    // "processed". The file it replaces (an earlier processed file) and its peak file are
    // deleted unless a title of the project still names it. Window thread.
    static void replaceTitleAudio(AEProject& project, int32_t index, const std::string& path);

private:
    AEProcessedFile(const std::string& path, bool claimed);

    FPendingFile pending_;
    bool claimed_;
};
