#include "AERecordingJournal.h"

#include "ProjectHost.h"

#include "AudioFile.h"
#include "FFileSystem.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <mutex>
#include <sstream>
#include <sys/file.h>
#include <unistd.h>

namespace {

constexpr int32_t kStringRepaired = 3291;

struct Entry {
    long pid = 0;
    std::string path;
};

std::mutex gLock;

// The journal, open and locked against other processes for the life of this object.
class LockedJournal {
public:
    LockedJournal() {
        const std::string path = AERecordingJournal::journalPath();
        std::error_code ignored;
        std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
        fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd_ >= 0 && ::flock(fd_, LOCK_EX) != 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }
    ~LockedJournal() {
        if (fd_ >= 0) {
            ::close(fd_); // also lets go of the lock
        }
    }
    LockedJournal(const LockedJournal&) = delete;
    LockedJournal& operator=(const LockedJournal&) = delete;

    bool isOpen() const { return fd_ >= 0; }

    std::vector<Entry> read() const {
        std::string text;
        char buffer[4096];
        ::lseek(fd_, 0, SEEK_SET);
        for (ssize_t got; (got = ::read(fd_, buffer, sizeof buffer)) > 0;) {
            text.append(buffer, static_cast<size_t>(got));
        }
        std::vector<Entry> entries;
        std::istringstream lines(text);
        for (std::string line; std::getline(lines, line);) {
            const size_t space = line.find(' ');
            if (space == std::string::npos) {
                continue;
            }
            Entry entry{std::strtol(line.c_str(), nullptr, 10), line.substr(space + 1)};
            if (entry.pid > 0 && !entry.path.empty()) {
                entries.push_back(std::move(entry));
            }
        }
        return entries;
    }

    // The journal is a few lines: rewritten in place while locked.
    void write(const std::vector<Entry>& entries) const {
        std::string text;
        for (const Entry& e : entries) {
            text += std::to_string(e.pid) + " " + e.path + "\n";
        }
        if (::ftruncate(fd_, 0) != 0) {
            return;
        }
        ::lseek(fd_, 0, SEEK_SET);
        const char* data = text.data();
        for (size_t left = text.size(); left > 0;) {
            const ssize_t put = ::write(fd_, data, left);
            if (put <= 0) {
                return;
            }
            data += put;
            left -= static_cast<size_t>(put);
        }
        ::fsync(fd_);
    }

private:
    int fd_ = -1;
};

bool processIsGone(long pid) {
    return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

} // namespace

namespace AERecordingJournal {

std::string journalPath() {
    if (const char* path = std::getenv("GLEAM_RECORDING_JOURNAL"); path && *path) {
        return path;
    }
    return FFileSystem::stateDirectory() + "/recordings";
}

void begin(const std::string& path) {
    std::lock_guard lock(gLock);
    LockedJournal journal;
    if (!journal.isOpen()) {
        ProjectHost::log("the journal of recordings in progress cannot be written");
        return;
    }
    std::vector<Entry> entries = journal.read();
    // The next start may run in another folder.
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    entries.push_back({static_cast<long>(::getpid()), error ? path : absolute.string()});
    journal.write(entries);
}

void end(const std::string& path) {
    std::lock_guard lock(gLock);
    LockedJournal journal;
    if (!journal.isOpen()) {
        return;
    }
    std::vector<Entry> entries = journal.read();
    const long self = ::getpid();
    std::error_code error;
    const std::string absolute = std::filesystem::absolute(path, error).string();
    std::erase_if(entries, [&](const Entry& e) {
        return e.pid == self && (e.path == path || e.path == absolute);
    });
    journal.write(entries);
}

std::vector<Recovered> recover() {
    std::lock_guard lock(gLock);
    LockedJournal journal;
    std::vector<Recovered> recovered;
    if (!journal.isOpen()) {
        return recovered;
    }
    std::vector<Entry> entries = journal.read();
    std::vector<Entry> running;
    for (Entry& e : entries) {
        if (!processIsGone(e.pid)) {
            running.push_back(std::move(e));
            continue;
        }
        const AudioHeaderRepair repair = AudioFile::repairHeader(e.path);
        if (!repair.ok) {
            const std::string line = "an interrupted recording could not be repaired: " + e.path;
            ProjectHost::log(line.c_str());
        } else if (repair.changed) {
            const std::string line = "interrupted recording repaired: " + e.path + ", " +
                                     std::to_string(repair.framesBefore) + " -> " +
                                     std::to_string(repair.framesAfter) + " frames";
            ProjectHost::log(line.c_str());
            recovered.push_back({e.path, repair.framesBefore, repair.framesAfter});
        }
    }
    journal.write(running);
    if (!recovered.empty()) {
        std::vector<std::string> files;
        for (const Recovered& r : recovered) {
            files.push_back(r.path);
        }
        ProjectHost::showText(ProjectHost::textWith(kStringRepaired, ProjectHost::lines(files)));
    }
    return recovered;
}

} // namespace AERecordingJournal
