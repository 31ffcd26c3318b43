#pragma once

#include "ScreenSaver.h"

// What the program asks of the machine at start-up and shutdown: whether sound devices
// exist and take 44.1 kHz 16-bit stereo, and the screen saver held off for the run (a
// long recording must not be disturbed by it). Diagnostics go to the run log.
class AEDeviceServices {
public:
    // At least one output and one input device exist.
    bool hasAudioDevices() const;
    // Some output and some input device take 44.1 kHz, 16 bits, 2 channels.
    bool supportsCdFormat() const;

    // Holds the screen saver off ("screen saver disabled"), when the desktop has one.
    void disableScreenSaver();
    // Lets it run again, only if it was held off here ("screen saver re-enabled.").
    void restoreScreenSaver();
    bool screenSaverDisabled() const { return screenSaver_.inhibited(); }

private:
    ScreenSaver screenSaver_;
};
