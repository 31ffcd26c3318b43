#include "AEMixer.h"

#include "WaveDeviceBackend.h"
#include "WaveDeviceSystem.h"

AEMixer::AEMixer() = default;

AEMixer::~AEMixer() {
    close();
}

bool AEMixer::open() {
    close();
    if (WaveDeviceBackend::isVirtual()) {
        name_ = WaveDeviceBackend::devices().front().name;
        open_ = true;
        return true;
    }
    system_ = WaveDeviceSystem::acquire();
    if (!system_) {
        return false;
    }
    WaveResult result = WaveResult::kOk;
    const int index = system_->deviceIndex(WaveDirection::kOutput, kWaveDefaultDevice, result);
    const PaDeviceInfo* info = index >= 0 ? Pa_GetDeviceInfo(index) : nullptr;
    if (!info || !info->name) {
        system_.reset();
        return false;
    }
    name_ = info->name;
    open_ = true;
    return true;
}

void AEMixer::close() {
    open_ = false;
    name_.clear();
    system_.reset();
}
