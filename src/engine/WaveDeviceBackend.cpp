#include "WaveDeviceBackend.h"

#include "WaveDevicePortAudio.h"
#include "WaveDeviceSystem.h"
#include "WaveDeviceVirtual.h"

#include <cstdlib>
#include <cstring>

bool WaveDeviceBackend::isVirtual() {
    const char* audio = std::getenv("GLEAM_AUDIO");
    return audio && std::strcmp(audio, "virtual") == 0;
}

std::vector<WaveDeviceInfo> WaveDeviceBackend::devices() {
    if (isVirtual()) {
        return {WaveDeviceVirtual::info()};
    }
    std::shared_ptr<WaveDeviceSystem> system = WaveDeviceSystem::acquire();
    return system ? system->devices() : std::vector<WaveDeviceInfo>{};
}

bool WaveDeviceBackend::hasAudioDevices() {
    if (isVirtual()) {
        return true;
    }
    std::shared_ptr<WaveDeviceSystem> system = WaveDeviceSystem::acquire();
    return system && system->hasAudioDevices();
}

bool WaveDeviceBackend::supportsCdFormat() {
    if (isVirtual()) {
        return true;
    }
    std::shared_ptr<WaveDeviceSystem> system = WaveDeviceSystem::acquire();
    return system && system->supportsCdFormat();
}

std::unique_ptr<WaveDevice> WaveDeviceBackend::open(WaveDirection direction, int number,
                                                    WaveDevice::DoneCallback callback,
                                                    WaveResult& result) {
    if (isVirtual()) {
        return WaveDeviceVirtual::open(direction, number, std::move(callback),
                                       WaveDeviceVirtual::fromEnvironment(), result);
    }
    return WaveDevicePortAudio::open(direction, number, std::move(callback), result);
}
