// gleam-cli devices: the numbered devices that play and record 44.1 kHz 16-bit stereo,
// the numbers the sound card settings store.
#include "CliCommand.h"
#include "WaveDeviceBackend.h"

#include <cstdio>

namespace {

const char* yesNo(bool value) {
    return value ? "yes" : "no";
}

// Prints the devices of one direction that take the format; false when there is none.
bool printDirection(const std::vector<WaveDeviceInfo>& devices, WaveDirection direction) {
    const bool output = direction == WaveDirection::kOutput;
    std::printf("%s devices (44.1 kHz, 16-bit, stereo):\n", output ? "Playback" : "Recording");
    bool any = false;
    for (const WaveDeviceInfo& device : devices) {
        const int number = output ? device.outputNumber : device.inputNumber;
        if (number >= 0) {
            std::printf("  %d  %s (%s)\n", number, device.name.c_str(), device.hostApi.c_str());
            any = true;
        }
    }
    if (!any) {
        std::printf("  none\n");
    }
    return any;
}

void printAll(const std::vector<WaveDeviceInfo>& devices) {
    std::printf("All devices:\n");
    for (const WaveDeviceInfo& device : devices) {
        std::printf("  %s (%s): %d in, %d out, 44.1 kHz 16-bit stereo: play %s, record %s\n",
                    device.name.c_str(), device.hostApi.c_str(), device.inputChannels,
                    device.outputChannels, yesNo(device.cdFormatOutput),
                    yesNo(device.cdFormatInput));
    }
    if (devices.empty()) {
        std::printf("  none\n");
    }
}

int runDevices(const std::vector<std::string>& args) {
    bool all = false;
    for (const std::string& arg : args) {
        if (arg == "--all") {
            all = true;
        } else {
            return Cli::fail(
                "devices: unknown argument \"" + arg + "\" (gleam-cli devices [--all])", 2);
        }
    }
    const std::vector<WaveDeviceInfo> devices = WaveDeviceBackend::devices();
    const bool plays = printDirection(devices, WaveDirection::kOutput);
    const bool records = printDirection(devices, WaveDirection::kInput);
    if (all) {
        printAll(devices);
    }
    if (!plays || !records) {
        std::fflush(stdout);
        return Cli::fail(std::string("devices: no audio device ") +
                         (plays     ? "records"
                          : records ? "plays"
                                    : "plays or records") +
                         " 44.1 kHz 16-bit stereo");
    }
    return 0;
}

const CliRegistration kDevices({"devices", "devices [--all]",
                                "list the numbered devices that play and record CD audio",
                                runDevices});

} // namespace
