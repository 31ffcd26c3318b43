#include "WaveDeviceSystem.h"

#include <alsa/asoundlib.h>
#include <jack/jack.h>
#include <mutex>
#include <pa_jack.h>

namespace {

std::mutex gMutex;
std::weak_ptr<WaveDeviceSystem> gSession;
// PortAudio keeps the pointer, so the text lives as long as the process.
std::string gClientName = "gleam";
bool gAbandoned = false;

void quietAlsa(const char*, int, const char*, int, const char*, ...) {}
void quietJack(const char*) {}

bool takesCdFormat(int paIndex, WaveDirection direction, int channels) {
    if (channels < WaveFormat::kChannels) {
        return false;
    }
    const PaStreamParameters parameters = WaveDeviceSystem::streamParameters(paIndex, direction);
    const bool output = direction == WaveDirection::kOutput;
    return Pa_IsFormatSupported(output ? nullptr : &parameters, output ? &parameters : nullptr,
                                WaveFormat::kSampleRate) == paFormatIsSupported;
}

} // namespace

std::shared_ptr<WaveDeviceSystem> WaveDeviceSystem::acquire() {
    std::lock_guard<std::mutex> lock(gMutex);
    if (auto session = gSession.lock()) {
        return session;
    }
    // Without a card or server both libraries print lines of their own on every start.
    snd_lib_error_set_handler(quietAlsa);
    jack_set_error_function(quietJack);
    jack_set_info_function(quietJack);
    PaJack_SetClientName(gClientName.c_str());
    if (Pa_Initialize() != paNoError) {
        return nullptr;
    }
    std::shared_ptr<WaveDeviceSystem> session(new WaveDeviceSystem());
    session->scan();
    gSession = session;
    return session;
}

void WaveDeviceSystem::setClientName(const std::string& name) {
    std::lock_guard<std::mutex> lock(gMutex);
    if (gSession.expired()) {
        gClientName = name;
    }
}

WaveDeviceSystem::~WaveDeviceSystem() {
    std::lock_guard<std::mutex> lock(gMutex);
    if (!gAbandoned) {
        Pa_Terminate();
    }
}

void WaveDeviceSystem::abandonStream() {
    std::lock_guard<std::mutex> lock(gMutex);
    gAbandoned = true;
}

PaStreamParameters WaveDeviceSystem::streamParameters(int paIndex, WaveDirection direction) {
    PaStreamParameters parameters{};
    parameters.device = paIndex;
    parameters.channelCount = WaveFormat::kChannels;
    parameters.sampleFormat = paInt16;
    const PaDeviceInfo* info = Pa_GetDeviceInfo(paIndex);
    // The high latencies: a steady stream matters more here than a quick one.
    if (info) {
        parameters.suggestedLatency = direction == WaveDirection::kOutput
                                          ? info->defaultHighOutputLatency
                                          : info->defaultHighInputLatency;
    }
    parameters.hostApiSpecificStreamInfo = nullptr;
    return parameters;
}

void WaveDeviceSystem::scan() {
    const PaDeviceIndex count = Pa_GetDeviceCount();
    int outputs = 0;
    int inputs = 0;
    for (PaDeviceIndex index = 0; index < count; ++index) {
        const PaDeviceInfo* info = Pa_GetDeviceInfo(index);
        if (!info) {
            continue;
        }
        WaveDeviceInfo device;
        device.name = info->name ? info->name : "";
        if (const PaHostApiInfo* host = Pa_GetHostApiInfo(info->hostApi)) {
            device.hostApi = host->name ? host->name : "";
        }
        device.inputChannels = info->maxInputChannels;
        device.outputChannels = info->maxOutputChannels;
        device.cdFormatOutput =
            takesCdFormat(index, WaveDirection::kOutput, info->maxOutputChannels);
        device.cdFormatInput = takesCdFormat(index, WaveDirection::kInput, info->maxInputChannels);
        device.outputNumber = device.cdFormatOutput ? outputs++ : -1;
        device.inputNumber = device.cdFormatInput ? inputs++ : -1;
        if (index == Pa_GetDefaultOutputDevice()) {
            defaultOutput_ = static_cast<int>(devices_.size());
        }
        if (index == Pa_GetDefaultInputDevice()) {
            defaultInput_ = static_cast<int>(devices_.size());
        }
        devices_.push_back(device);
        paIndex_.push_back(index);
    }
    // Asking without a JACK host would make PortAudio print a complaint.
    const char* name = nullptr;
    if (Pa_HostApiTypeIdToHostApiIndex(paJACK) >= 0 && PaJack_GetClientName(&name) == paNoError &&
        name) {
        jackClientName_ = name;
    }
}

int WaveDeviceSystem::deviceIndex(WaveDirection direction, int number, WaveResult& result) const {
    const bool output = direction == WaveDirection::kOutput;
    if (number == kWaveDefaultDevice) {
        const int entry = output ? defaultOutput_ : defaultInput_;
        if (entry >= 0 &&
            (output ? devices_[entry].cdFormatOutput : devices_[entry].cdFormatInput)) {
            result = WaveResult::kOk;
            return paIndex_[entry];
        }
        number = 0;
    }
    bool any = false;
    for (size_t i = 0; i < devices_.size(); ++i) {
        const int entryNumber = output ? devices_[i].outputNumber : devices_[i].inputNumber;
        any = any || entryNumber >= 0;
        if (number >= 0 && entryNumber == number) {
            result = WaveResult::kOk;
            return paIndex_[i];
        }
    }
    result = any ? WaveResult::kBadDeviceNumber : WaveResult::kNoDevice;
    return -1;
}

bool WaveDeviceSystem::hasAudioDevices() const {
    bool output = false;
    bool input = false;
    for (const WaveDeviceInfo& device : devices_) {
        output = output || device.outputChannels > 0;
        input = input || device.inputChannels > 0;
    }
    return output && input;
}

bool WaveDeviceSystem::supportsCdFormat() const {
    bool output = false;
    bool input = false;
    for (const WaveDeviceInfo& device : devices_) {
        output = output || device.cdFormatOutput;
        input = input || device.cdFormatInput;
    }
    return output && input;
}
