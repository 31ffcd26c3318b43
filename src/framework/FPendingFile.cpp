#include "FPendingFile.h"

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

bool FPendingFile::commit() {
    if (committed_) {
        return true;
    }
    // On disk before it replaces anything: a crash after the move must not leave a hole.
    const int fd = ::open(pendingPath_.c_str(), O_RDONLY | O_CLOEXEC);
    bool ok = fd >= 0 && ::fsync(fd) == 0;
    if (fd >= 0) {
        ok = ::close(fd) == 0 && ok;
    }
    if (!ok || std::rename(pendingPath_.c_str(), finalPath_.c_str()) != 0) {
        discard();
        return false;
    }
    committed_ = true;
    return true;
}

void FPendingFile::discard() {
    ::unlink(pendingPath_.c_str());
}
