#include "WaveDeviceVirtual.h"

#include "AudioFile.h"
#include "WaveDeviceQueue.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

using Clock = std::chrono::steady_clock;

// The client format of the virtual device's files: the fixed device format.
AudioFormat deviceFormat() {
    AudioFormat format;
    format.sampleRate = static_cast<float>(WaveFormat::kSampleRate);
    format.bits = 16;
    format.bytesPerFrame = WaveFormat::kBytesPerFrame;
    format.sampleType = kSampleSigned;
    format.formatFlags = 0;
    format.channels = WaveFormat::kChannels;
    return format;
}

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// Time of `frames` frames at the device rate.
Clock::duration framesTime(uint64_t frames) {
    return std::chrono::duration_cast<Clock::duration>(
        std::chrono::nanoseconds(frames * 1000000000ull / WaveFormat::kSampleRate));
}

} // namespace

WaveDeviceVirtual::Settings WaveDeviceVirtual::fromEnvironment() {
    Settings settings;
    settings.inputPath = environment("GLEAM_VIRTUAL_INPUT");
    settings.outputPath = environment("GLEAM_VIRTUAL_OUTPUT");
    settings.fast = environment("GLEAM_VIRTUAL_PACE") == "fast";
    const std::optional<std::vector<Overflow>> overflows =
        parseOverflows(environment("GLEAM_VIRTUAL_OVERFLOWS"));
    settings.overflowsValid = overflows.has_value();
    if (overflows) {
        settings.overflows = *overflows;
    }
    return settings;
}

std::optional<std::vector<WaveDeviceVirtual::Overflow>>
WaveDeviceVirtual::parseOverflows(const std::string& text) {
    std::vector<Overflow> overflows;
    const char* p = text.data();
    const char* end = p + text.size();
    uint64_t nextFree = 0;
    while (p != end) {
        Overflow overflow;
        auto [afterAt, atError] = std::from_chars(p, end, overflow.atFrame);
        if (atError != std::errc() || afterAt == end || *afterAt != ':') {
            return std::nullopt;
        }
        auto [afterFrames, framesError] = std::from_chars(afterAt + 1, end, overflow.frames);
        if (framesError != std::errc() || overflow.frames == 0 || overflow.atFrame < nextFree) {
            return std::nullopt;
        }
        overflows.push_back(overflow);
        nextFree = overflow.atFrame + overflow.frames + 1;
        p = afterFrames;
        if (p != end && (*p != ',' || ++p == end)) {
            return std::nullopt;
        }
    }
    return overflows;
}

WaveDeviceInfo WaveDeviceVirtual::info() {
    WaveDeviceInfo device;
    device.name = "virtual";
    device.hostApi = "virtual";
    device.inputChannels = WaveFormat::kChannels;
    device.outputChannels = WaveFormat::kChannels;
    device.cdFormatOutput = true;
    device.cdFormatInput = true;
    device.outputNumber = 0;
    device.inputNumber = 0;
    return device;
}

std::unique_ptr<WaveDevice> WaveDeviceVirtual::open(WaveDirection direction, int number,
                                                    WaveDevice::DoneCallback callback,
                                                    const Settings& settings, WaveResult& result) {
    if (number != 0 && number != kWaveDefaultDevice) {
        result = WaveResult::kBadDeviceNumber;
        return nullptr;
    }
    auto device = std::make_unique<WaveDevice>(
        direction, std::move(callback), std::make_unique<WaveDeviceVirtual>(direction, settings));
    result = device->open();
    if (result != WaveResult::kOk) {
        return nullptr;
    }
    return device;
}

WaveDeviceVirtual::WaveDeviceVirtual(WaveDirection direction, Settings settings)
    : direction_(direction), settings_(std::move(settings)),
      block_(static_cast<size_t>(kPeriodFrames) * WaveFormat::kBytesPerFrame) {}

WaveDeviceVirtual::~WaveDeviceVirtual() {
    stop();
}

WaveResult WaveDeviceVirtual::start(WaveDeviceQueue& queue) {
    if (thread_.joinable()) {
        return WaveResult::kDeviceFailed;
    }
    if (!openFile()) {
        file_.reset();
        return WaveResult::kFileFailed;
    }
    queue_ = &queue;
    quit_ = false;
    thread_ = std::thread([this] { run(); });
    return WaveResult::kOk;
}

bool WaveDeviceVirtual::openFile() {
    const bool output = direction_ == WaveDirection::kOutput;
    inputFrames_ = 0;
    nextOverflow_ = 0;
    if (!output && !settings_.overflowsValid) {
        return false;
    }
    const std::string& path = output ? settings_.outputPath : settings_.inputPath;
    inputEnded_ = path.empty();
    if (path.empty()) {
        return true;
    }
    file_ = std::make_unique<AudioFile>(path);
    if (output) {
        if (!file_->create()) {
            return false;
        }
        file_->setSampleRate(static_cast<float>(WaveFormat::kSampleRate));
        file_->setBits(16);
        file_->setChannels(WaveFormat::kChannels);
        file_->setClientFormat(file_->fileFormat());
        return file_->clientFormat() == deviceFormat();
    }
    if (!file_->open(FAccessMode::kRead)) {
        return false;
    }
    file_->setClientFormat(deviceFormat());
    // A file the converter cannot bring into the device format fails here, not later.
    return file_->read(1, block_.data()) >= 0 && file_->seek(0) == 0;
}

void WaveDeviceVirtual::stop() {
    if (!thread_.joinable()) {
        return;
    }
    {
        std::lock_guard<std::mutex> lock(wakeMutex_);
        quit_ = true;
    }
    wakeChanged_.notify_all();
    thread_.join();
    if (file_ && !file_->close()) {
        lost_.store(true, std::memory_order_release);
    }
    file_.reset();
}

void WaveDeviceVirtual::wake() {
    {
        std::lock_guard<std::mutex> lock(wakeMutex_);
        woken_ = true;
    }
    wakeChanged_.notify_all();
}

template <class Deadline> bool WaveDeviceVirtual::waitUntil(const Deadline& deadline) {
    std::unique_lock<std::mutex> lock(wakeMutex_);
    wakeChanged_.wait_until(lock, deadline, [this] { return quit_ || woken_; });
    woken_ = false;
    return !quit_;
}

void WaveDeviceVirtual::run() {
    if (settings_.fast) {
        runFast();
    } else {
        runRealTime();
    }
}

void WaveDeviceVirtual::runRealTime() {
    Clock::time_point origin = Clock::now();
    uint64_t periods = 0;
    for (;;) {
        const Clock::time_point due = origin + framesTime(++periods * kPeriodFrames);
        // Only the clock paces this device: a wake-up just waits on.
        while (Clock::now() < due) {
            if (!waitUntil(due)) {
                return;
            }
        }
        moveBlock(kPeriodFrames);
        if (Clock::now() - due > std::chrono::milliseconds(500)) {
            // Far behind (a stopped machine): go on from now rather than catch up at once.
            origin = Clock::now();
            periods = 0;
        }
    }
}

void WaveDeviceVirtual::runFast() {
    for (;;) {
        while (const uint32_t room = queue_->room()) {
            moveBlock(std::min(room, kPeriodFrames));
        }
        // The wake-up after a queue or start comes at once; the timeout only guards.
        if (!waitUntil(Clock::now() + std::chrono::milliseconds(50))) {
            return;
        }
    }
}

void WaveDeviceVirtual::moveBlock(uint32_t frames) {
    if (direction_ == WaveDirection::kOutput) {
        const uint32_t taken = queue_->playInto(block_.data(), frames);
        if (file_ && taken > 0 &&
            file_->write(static_cast<int32_t>(taken), block_.data()) !=
                static_cast<int32_t>(taken)) {
            lost_.store(true, std::memory_order_release);
        }
        return;
    }
    // A stopped input does not advance its file.
    if (!queue_->running()) {
        return;
    }
    recordBlock(frames);
}

void WaveDeviceVirtual::recordBlock(uint32_t frames) {
    const std::vector<Overflow>& overflows = settings_.overflows;
    uint32_t done = 0;
    while (done < frames) {
        uint32_t lost = 0;
        while (nextOverflow_ < overflows.size() &&
               overflows[nextOverflow_].atFrame <= inputFrames_) {
            lost += overflows[nextOverflow_].frames;
            skipInput(overflows[nextOverflow_].frames);
            ++nextOverflow_;
        }
        const uint64_t until = nextOverflow_ < overflows.size()
                                   ? overflows[nextOverflow_].atFrame
                                   : std::numeric_limits<uint64_t>::max();
        const auto n =
            static_cast<uint32_t>(std::min<uint64_t>(frames - done, until - inputFrames_));
        readInput(n);
        inputFrames_ += n;
        done += n;
        queue_->noteStatus(false, lost > 0);
        queue_->recordFrom(block_.data(), n, lost);
    }
}

void WaveDeviceVirtual::skipInput(uint64_t frames) {
    inputFrames_ += frames;
    while (frames > 0) {
        const auto n = static_cast<uint32_t>(std::min<uint64_t>(frames, kPeriodFrames));
        readInput(n);
        frames -= n;
    }
}

void WaveDeviceVirtual::readInput(uint32_t frames) {
    uint32_t got = 0;
    if (!inputEnded_) {
        const int32_t read = file_->read(static_cast<int32_t>(frames), block_.data());
        if (read < 0) {
            lost_.store(true, std::memory_order_release);
        }
        got = read > 0 ? static_cast<uint32_t>(read) : 0;
        inputEnded_ = got < frames;
    }
    std::memset(block_.data() + static_cast<size_t>(got) * WaveFormat::kBytesPerFrame, 0,
                static_cast<size_t>(frames - got) * WaveFormat::kBytesPerFrame);
}
