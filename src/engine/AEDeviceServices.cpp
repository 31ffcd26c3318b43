#include "AEDeviceServices.h"

#include "WaveDeviceBackend.h"

#include "ProjectHost.h"

#include <string>

bool AEDeviceServices::hasAudioDevices() const {
    return WaveDeviceBackend::hasAudioDevices();
}

bool AEDeviceServices::supportsCdFormat() const {
    return WaveDeviceBackend::supportsCdFormat();
}

void AEDeviceServices::disableScreenSaver() {
    if (screenSaver_.inhibit("Gleam!", "recording or playing audio")) {
        ProjectHost::log("screen saver disabled");
    } else {
        ProjectHost::log(
            (std::string("screen saver left alone: ") + screenSaver_.lastError()).c_str());
    }
}

void AEDeviceServices::restoreScreenSaver() {
    if (screenSaver_.inhibited()) {
        screenSaver_.uninhibit();
        ProjectHost::log("screen saver re-enabled.");
    }
}
