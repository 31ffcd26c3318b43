#pragma once

#include "WaveDeviceTypes.h"

#include <memory>
#include <portaudio.h>
#include <string>
#include <vector>

// The PortAudio session of the process and the device list it found.
//
// PortAudio is started by the first acquire and ended when the last holder lets go (open
// devices hold it too), so a program that keeps one holder sees one stable list. Starting
// silences the diagnostics ALSA and the JACK client library would print on standard error.
// A sound server is only found when it runs at that moment.
//
// A device's number is its position among the devices of its direction that open
// 44 100 Hz, 16-bit, 2 channels, in PortAudio's device order.
class WaveDeviceSystem {
public:
    // The session; null when PortAudio does not start.
    static std::shared_ptr<WaveDeviceSystem> acquire();
    // The name the program gives itself at a sound server (JACK), before the session starts.
    // Default "gleam"; the server may add a suffix (see jackClientName).
    static void setClientName(const std::string& name);

    ~WaveDeviceSystem();
    WaveDeviceSystem(const WaveDeviceSystem&) = delete;
    WaveDeviceSystem& operator=(const WaveDeviceSystem&) = delete;

    // Every device PortAudio lists, with its numbers.
    const std::vector<WaveDeviceInfo>& devices() const { return devices_; }
    // PortAudio's index for device `number` of `direction` (kWaveDefaultDevice: the system's
    // default device when it takes the format, else number 0); -1 with `result` set when
    // there is none.
    int deviceIndex(WaveDirection direction, int number, WaveResult& result) const;
    // At least one device plays and one records, in any format.
    bool hasAudioDevices() const;
    // Some device plays and some device records 44.1 kHz 16-bit stereo.
    bool supportsCdFormat() const;
    // The name the JACK server gave this program; empty when there is no JACK server.
    const std::string& jackClientName() const { return jackClientName_; }

    // A stream whose device stopped by itself cannot be closed: PortAudio would wait for it
    // for ever. It is left open, and PortAudio is then never ended in this process.
    static void abandonStream();

    // The parameters of a stream in the fixed format on PortAudio device `paIndex`.
    static PaStreamParameters streamParameters(int paIndex, WaveDirection direction);

private:
    WaveDeviceSystem() = default;
    void scan();

    std::vector<WaveDeviceInfo> devices_;
    std::vector<int> paIndex_; // PortAudio's index of each entry of devices_
    int defaultOutput_ = -1;   // entry of devices_, or -1
    int defaultInput_ = -1;
    std::string jackClientName_;
};
