#include "WaveDevicePortAudio.h"

#include "WaveDeviceQueue.h"

#include <cmath>

namespace {

WaveResult resultOf(PaError error) {
    switch (error) {
    case paNoError:
        return WaveResult::kOk;
    case paInvalidSampleRate:
    case paSampleFormatNotSupported:
    case paInvalidChannelCount:
        return WaveResult::kFormatRefused;
    case paInvalidDevice:
        return WaveResult::kBadDeviceNumber;
    default:
        return WaveResult::kDeviceFailed;
    }
}

} // namespace

std::unique_ptr<WaveDevice> WaveDevicePortAudio::open(WaveDirection direction, int number,
                                                      WaveDevice::DoneCallback callback,
                                                      WaveResult& result) {
    std::shared_ptr<WaveDeviceSystem> system = WaveDeviceSystem::acquire();
    if (!system) {
        result = WaveResult::kDeviceFailed;
        return nullptr;
    }
    const int paIndex = system->deviceIndex(direction, number, result);
    if (paIndex < 0) {
        return nullptr;
    }
    auto device = std::make_unique<WaveDevice>(
        direction, std::move(callback),
        std::make_unique<WaveDevicePortAudio>(std::move(system), paIndex, direction));
    result = device->open();
    if (result != WaveResult::kOk) {
        return nullptr;
    }
    return device;
}

WaveDevicePortAudio::WaveDevicePortAudio(std::shared_ptr<WaveDeviceSystem> system, int paIndex,
                                         WaveDirection direction)
    : system_(std::move(system)), paIndex_(paIndex), direction_(direction) {}

WaveDevicePortAudio::~WaveDevicePortAudio() {
    stop();
    if (stream_ && !abandoned_) {
        Pa_CloseStream(stream_);
    }
}

WaveResult WaveDevicePortAudio::start(WaveDeviceQueue& queue) {
    if (stream_) {
        return WaveResult::kDeviceFailed;
    }
    const PaStreamParameters parameters = WaveDeviceSystem::streamParameters(paIndex_, direction_);
    const bool output = direction_ == WaveDirection::kOutput;
    queue_ = &queue;
    expectedAdcTime_ = 0.0;
    PaError error =
        Pa_OpenStream(&stream_, output ? nullptr : &parameters, output ? &parameters : nullptr,
                      WaveFormat::kSampleRate, paFramesPerBufferUnspecified,
                      paClipOff | paDitherOff, streamCallback, this);
    if (error != paNoError) {
        stream_ = nullptr;
        return resultOf(error);
    }
    error = Pa_StartStream(stream_);
    if (error != paNoError) {
        Pa_CloseStream(stream_);
        stream_ = nullptr;
        return resultOf(error);
    }
    running_.store(true, std::memory_order_release);
    return WaveResult::kOk;
}

void WaveDevicePortAudio::stop() {
    if (!running_.load(std::memory_order_acquire)) {
        return;
    }
    if (lost()) {
        // PortAudio would wait for ever for a callback that no longer comes.
        abandoned_ = true;
        WaveDeviceSystem::abandonStream();
    } else {
        Pa_StopStream(stream_);
    }
    running_.store(false, std::memory_order_release);
}

bool WaveDevicePortAudio::lost() const {
    return running_.load(std::memory_order_acquire) && Pa_IsStreamActive(stream_) != 1;
}

std::string WaveDevicePortAudio::name() const {
    const PaDeviceInfo* info = Pa_GetDeviceInfo(paIndex_);
    return info && info->name ? info->name : "";
}

uint32_t WaveDevicePortAudio::overflowFrames(double adcTime, uint32_t frames) const {
    if (adcTime > 0.0 && expectedAdcTime_ > 0.0) {
        const double gap = (adcTime - expectedAdcTime_) * WaveFormat::kSampleRate;
        // A clock that jumps by more than ten seconds is not to be believed.
        if (gap >= 1.0 && gap < 10.0 * WaveFormat::kSampleRate) {
            return static_cast<uint32_t>(std::lround(gap));
        }
    }
    return frames;
}

int WaveDevicePortAudio::streamCallback(const void* input, void* output, unsigned long frames,
                                        const PaStreamCallbackTimeInfo* time,
                                        PaStreamCallbackFlags status, void* self) {
    auto* device = static_cast<WaveDevicePortAudio*>(self);
    WaveDeviceQueue* target = device->queue_;
    const bool overflow = (status & paInputOverflow) != 0;
    target->noteStatus((status & paOutputUnderflow) != 0, overflow);
    const auto count = static_cast<uint32_t>(frames);
    if (output) {
        target->playInto(static_cast<uint8_t*>(output), count);
    } else if (input) {
        const double adcTime = time ? time->inputBufferAdcTime : 0.0;
        const uint32_t lost = overflow ? device->overflowFrames(adcTime, count) : 0;
        device->expectedAdcTime_ =
            adcTime > 0.0 ? adcTime + static_cast<double>(count) / WaveFormat::kSampleRate : 0.0;
        target->recordFrom(static_cast<const uint8_t*>(input), count, lost);
    }
    return paContinue;
}
