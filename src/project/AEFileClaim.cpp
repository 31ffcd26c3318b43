#include "AEFileClaim.h"

#include "AEPeakData.h"
#include "AEProject.h"
#include "AETitle.h"

#include "FNPath.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// No directory holds this many files of one name.
constexpr int64_t kLastCandidate = 100000;

// lstat, not stat: a dangling link still takes the name.
bool present(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 || errno != ENOENT;
}

} // namespace

std::string AEFileClaim::numbered(const std::string& path, int64_t n) {
    if (n < 2) {
        return path;
    }
    const FNPath file(path);
    const std::string name = file.fileName();
    // A leading dot belongs to the name, not to its extensions.
    const size_t dot = name.find('.', 1);
    const std::string suffix = "-" + std::to_string(n);
    if (dot == std::string::npos) {
        return file.directory() + name + suffix;
    }
    return file.directory() + name.substr(0, dot) + suffix + name.substr(dot);
}

std::string AEFileClaim::writingPath(const std::string& path) {
    const std::string stem =
        AETitle::hasWavExtension(path) ? path.substr(0, path.size() - 4) : path;
    return stem + ".saving.wav";
}

bool AEFileClaim::taken(const std::string& path, const AEProject* project) {
    return present(path) || present(AEPeakData::peakPath(path)) || present(writingPath(path)) ||
           (project && project->refersTo(path));
}

std::optional<AEFileClaim> AEFileClaim::claim(const std::string& wanted, const AEProject* project) {
    return claim([&wanted](int64_t n) { return numbered(wanted, n + 1); }, project);
}

std::optional<AEFileClaim> AEFileClaim::claim(const Candidates& candidates,
                                              const AEProject* project) {
    for (int64_t n = 0; n < kLastCandidate; ++n) {
        const std::string path = candidates(n);
        if (path.empty()) {
            break;
        }
        if (taken(path, project)) {
            continue;
        }
        // Made only if nobody made it first, whichever process or thread that was.
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd >= 0) {
            ::close(fd);
            return AEFileClaim(path);
        }
        if (errno != EEXIST) {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

AEFileClaim::AEFileClaim(AEFileClaim&& other) noexcept
    : path_(std::move(other.path_)), kept_(other.kept_) {
    other.kept_ = true;
}

AEFileClaim::~AEFileClaim() {
    if (!kept_ && !path_.empty()) {
        // Only the empty file of the claim goes: a writer that failed left nothing else.
        struct stat info {};
        if (::lstat(path_.c_str(), &info) == 0 && S_ISREG(info.st_mode) && info.st_size == 0) {
            ::unlink(path_.c_str());
        }
    }
}
