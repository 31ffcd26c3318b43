#pragma once

#include <memory>
#include <string>

class WaveDeviceSystem;

// The mixer that stands beside the software volumes: the system's default output device,
// opened at start-up for its name. The volumes are never sent to it. While open it holds
// the sound system's session, so the device list stays the same for the whole run.
class AEMixer {
public:
    static constexpr const char* kNoMixer = "no mixer";

    AEMixer();
    ~AEMixer();
    AEMixer(const AEMixer&) = delete;
    AEMixer& operator=(const AEMixer&) = delete;

    // False (and the name "no mixer") when there is no output device.
    bool open();
    void close();
    bool isOpen() const { return open_; }
    // The device's name, or "no mixer" when none is open.
    std::string name() const { return open_ ? name_ : kNoMixer; }

private:
    std::shared_ptr<WaveDeviceSystem> system_;
    std::string name_;
    bool open_ = false;
};
