#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

class AEProject;

// A name for a file the program is about to create beside a project's audio. A name is
// free when no file has it, no peak file or unfinished copy sits beside it, and no title
// of the project refers to it (its file may be on a drive that is away today). The name
// is taken at once by creating it empty and exclusively, so two writers never choose the
// same one and the writer's final rename lands only on its own empty file. Until keep()
// the claim removes that empty file again when it goes.
//
// Any thread; the project is only read.
class AEFileClaim {
public:
    // The candidate names in order: candidate(0), candidate(1)... ("" ends the search).
    using Candidates = std::function<std::string(int64_t n)>;

    // The first free name of `wanted`, "take.wav.stereo.wav", "take-2.wav.stereo.wav"...
    static std::optional<AEFileClaim> claim(const std::string& wanted, const AEProject* project);
    static std::optional<AEFileClaim> claim(const Candidates& candidates, const AEProject* project);

    // `path` with "-n" before the first dot of its file name (n >= 2), or `path` for n < 2.
    static std::string numbered(const std::string& path, int64_t n);
    // Whether `path` (or its peak file, or its unfinished copy) exists, or a title of
    // `project` refers to it.
    static bool taken(const std::string& path, const AEProject* project);
    // The name an unfinished copy of `path` is written under: ".saving" before ".wav".
    static std::string writingPath(const std::string& path);

    AEFileClaim(AEFileClaim&& other) noexcept;
    AEFileClaim& operator=(AEFileClaim&&) = delete;
    AEFileClaim(const AEFileClaim&) = delete;
    ~AEFileClaim();

    const std::string& path() const { return path_; }
    // The writer has put its file in place: the name is no longer the claim's to remove.
    void keep() { kept_ = true; }

private:
    explicit AEFileClaim(std::string path) : path_(std::move(path)) {}

    std::string path_;
    bool kept_ = false;
};
