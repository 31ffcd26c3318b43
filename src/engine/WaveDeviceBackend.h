#pragma once

#include "WaveDevice.h"
#include "WaveDeviceTypes.h"

#include <memory>
#include <vector>

// The wave devices of the program: PortAudio's, or the virtual device when the
// environment variable GLEAM_AUDIO is "virtual" (see WaveDeviceVirtual).
class WaveDeviceBackend {
public:
    static bool isVirtual();
    // Every device of the backend with its numbers (see WaveDeviceSystem).
    static std::vector<WaveDeviceInfo> devices();
    // At least one device plays and one records.
    static bool hasAudioDevices();
    // Some device plays and some device records 44.1 kHz 16-bit stereo.
    static bool supportsCdFormat();
    // Opens device `number` (kWaveDefaultDevice for the default) of `direction`; null with
    // `result` set when it cannot.
    static std::unique_ptr<WaveDevice> open(WaveDirection direction, int number,
                                            WaveDevice::DoneCallback callback, WaveResult& result);
};
