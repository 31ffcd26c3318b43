#pragma once

#include <string>

// A file written under a temporary name beside its final path and moved into place only
// once it is complete, so a failed, cancelled or crashed write never leaves half a file
// under the final name, and an old file of that name stays as it was until then.
// The writer creates and fills pendingPath() itself; commit() syncs the data to disk and
// renames it over the final path. Destroying an uncommitted pending file removes it.
class FPendingFile {
public:
    // `pendingPath` defaults to the final path with ".saving" appended; it must lie in the
    // same directory for the move to be a rename.
    explicit FPendingFile(std::string finalPath, std::string pendingPath = {});
    ~FPendingFile();
    FPendingFile(const FPendingFile&) = delete;
    FPendingFile& operator=(const FPendingFile&) = delete;

    const std::string& finalPath() const { return finalPath_; }
    const std::string& pendingPath() const { return pendingPath_; }

    // True once the data is on disk under the final path; on failure the pending file is
    // removed and the final path left as it was.
    bool commit();
    // The same, but never replaces a file already at the final path: false then, with the
    // pending file removed and the other file untouched (also one made meanwhile).
    bool commitWithoutReplacing();
    // Removes the pending file (a missing one is no error).
    void discard();
    bool committed() const { return committed_; }

private:
    bool syncPending();

    std::string finalPath_;
    std::string pendingPath_;
    bool committed_ = false;
};
