#include "AEDeviceServices.h"

#include "WaveDeviceBackend.h"

#include "AppHost.h"

#include <string>

namespace {

void logLine(const std::string& text) {
    if (AppHost* host = AppHost::current()) {
        host->log(text.c_str());
    }
}

} // namespace

bool AEDeviceServices::hasAudioDevices() const {
    return WaveDeviceBackend::hasAudioDevices();
}

bool AEDeviceServices::supportsCdFormat() const {
    return WaveDeviceBackend::supportsCdFormat();
}

void AEDeviceServices::disableScreenSaver() {
    if (screenSaver_.inhibit("Gleam!", "recording or playing audio")) {
        logLine("screen saver disabled");
    } else {
        logLine("screen saver left alone: " + screenSaver_.lastError());
    }
}

void AEDeviceServices::restoreScreenSaver() {
    if (screenSaver_.inhibited()) {
        screenSaver_.uninhibit();
        logLine("screen saver re-enabled.");
    }
}
