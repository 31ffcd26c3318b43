#include "FPendingFile.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

FPendingFile::FPendingFile(std::string finalPath, std::string pendingPath)
    : finalPath_(std::move(finalPath)),
      pendingPath_(pendingPath.empty() ? finalPath_ + ".saving" : std::move(pendingPath)) {}

FPendingFile::~FPendingFile() {
    if (!committed_) {
        discard();
    }
}

bool FPendingFile::syncPending() {
    // On disk before it replaces anything: a crash after the move must not leave a hole.
    const int fd = ::open(pendingPath_.c_str(), O_RDONLY | O_CLOEXEC);
    bool ok = fd >= 0 && ::fsync(fd) == 0;
    if (fd >= 0) {
        ok = ::close(fd) == 0 && ok;
    }
    return ok;
}

bool FPendingFile::commit() {
    if (committed_) {
        return true;
    }
    if (!syncPending() || std::rename(pendingPath_.c_str(), finalPath_.c_str()) != 0) {
        discard();
        return false;
    }
    committed_ = true;
    return true;
}

bool FPendingFile::commitWithoutReplacing() {
    if (committed_) {
        return true;
    }
    bool moved = false;
    if (syncPending()) {
        // One step where the file system can; otherwise a new link, which also refuses to
        // replace, and the pending name goes.
        if (::renameat2(AT_FDCWD, pendingPath_.c_str(), AT_FDCWD, finalPath_.c_str(),
                        RENAME_NOREPLACE) == 0) {
            moved = true;
        } else if ((errno == EINVAL || errno == ENOSYS) &&
                   ::link(pendingPath_.c_str(), finalPath_.c_str()) == 0) {
            ::unlink(pendingPath_.c_str());
            moved = true;
        }
    }
    if (!moved) {
        discard();
        return false;
    }
    committed_ = true;
    return true;
}

void FPendingFile::discard() {
    ::unlink(pendingPath_.c_str());
}
