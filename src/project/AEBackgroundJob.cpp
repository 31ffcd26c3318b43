#include "AEBackgroundJob.h"

#include "ProjectHost.h"

#include <cerrno>
#include <sys/resource.h>
#include <unistd.h>

AEBackgroundJob::AEBackgroundJob(std::function<int32_t()> work, int32_t doneTag)
    : thread_([this, work = std::move(work), doneTag] {
          // One step below normal: playback and the interface come first. A refusal
          // leaves the thread at normal priority, which is harmless.
          const auto self = static_cast<id_t>(::gettid());
          errno = 0;
          const int nice = ::getpriority(PRIO_PROCESS, self);
          if (errno == 0) {
              ::setpriority(PRIO_PROCESS, self, nice + 1);
          }
          result_.store(work(), std::memory_order_relaxed);
          finished_.store(true, std::memory_order_release);
          if (doneTag != 0) {
              ProjectHost::post(doneTag);
          }
      }) {}

AEBackgroundJob::~AEBackgroundJob() {
    wait();
}

int32_t AEBackgroundJob::wait() {
    if (thread_.joinable()) {
        thread_.join();
    }
    return result_.load(std::memory_order_relaxed);
}
