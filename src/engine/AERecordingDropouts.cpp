#include "AERecordingDropouts.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>

int64_t AERecordingDropouts::Totals::milliseconds() const {
    constexpr uint64_t kRate = WaveFormat::kSampleRate;
    return static_cast<int64_t>((frames * 1000 + kRate / 2) / kRate);
}

void AERecordingDropouts::begin(uint64_t start) {
    start_ = start;
    listed_ = 0;
    count_ = 0;
    frames_ = 0;
}

void AERecordingDropouts::note(const WaveDropout& dropout) {
    // One at the first frame came before the recording.
    if (dropout.atFrame <= start_) {
        return;
    }
    if (listed_ < list_.size()) {
        list_[listed_++] = {dropout.atFrame - start_, dropout.frames};
    }
    count_ += 1;
    frames_ += dropout.frames;
}

AERecordingDropouts::Totals AERecordingDropouts::end(int64_t frames) {
    const auto last = static_cast<uint64_t>(std::max<int64_t>(frames, 0));
    // The list is in order of position; with some only counted, the last are unknown.
    while (listed_ > 0 && listed_ == count_ && list_[listed_ - 1].atFrame >= last) {
        --listed_;
        count_ -= 1;
        frames_ -= list_[listed_].frames;
    }
    return totals();
}

void AERecordingDropouts::log(void (*logLine)(const char* line)) const {
    char line[160];
    for (size_t i = 0; i < listed_; ++i) {
        const uint64_t ms = list_[i].atFrame * 1000 / WaveFormat::kSampleRate;
        std::snprintf(line, sizeof line,
                      "recording dropout at frame %" PRIu64 " (%" PRIu64 ":%02" PRIu64 ":%02" PRIu64
                      ".%03" PRIu64 "): %" PRIu64 " frames lost",
                      list_[i].atFrame, ms / 3600000, ms / 60000 % 60, ms / 1000 % 60, ms % 1000,
                      list_[i].frames);
        logLine(line);
    }
    const Totals sum = totals();
    if (sum.count > 0) {
        std::snprintf(line, sizeof line,
                      "recording stopped: %" PRIu64 " dropouts, %" PRIu64 " frames (%" PRId64
                      " ms) lost",
                      sum.count, sum.frames, sum.milliseconds());
        logLine(line);
    }
}
