#include "EngineTestSupport.h"

#include "AudioFile.h"
#include "AudioTestSupport.h"

#include <algorithm>

namespace EngineTest {

AEMMEDevice::Opener VirtualOpener::opener() const {
    return [settings = settings, outputs = outputsOpened, inputs = inputsOpened,
            refuse = refuseOutput](WaveDirection direction, int number,
                                   WaveDevice::DoneCallback callback, WaveResult& result) {
        const bool output = direction == WaveDirection::kOutput;
        ++*(output ? outputs : inputs);
        if (output && refuse) {
            result = WaveResult::kFormatRefused;
            return std::unique_ptr<WaveDevice>();
        }
        return WaveDeviceVirtual::open(direction, number, std::move(callback), settings, result);
    };
}

VirtualEngine::VirtualEngine(const VirtualOpener& virtualOpener)
    : device(virtualOpener.opener()), engine(device) {
    device.open();
    engine.startThread();
}

VirtualEngine::~VirtualEngine() {
    engine.stopThread();
}

std::vector<int16_t> countingFrames(int32_t frames) {
    std::vector<int16_t> samples(static_cast<size_t>(frames) * 2);
    for (int32_t i = 0; i < frames; ++i) {
        const auto number = static_cast<uint32_t>(i) + 1;
        samples[2 * static_cast<size_t>(i)] = static_cast<int16_t>(number & 0xFFFF);
        samples[2 * static_cast<size_t>(i) + 1] = static_cast<int16_t>(number >> 16);
    }
    return samples;
}

int64_t frameNumber(const int16_t* frame) {
    const uint32_t number = static_cast<uint16_t>(frame[0]) |
                            (static_cast<uint32_t>(static_cast<uint16_t>(frame[1])) << 16);
    return static_cast<int64_t>(number) - 1;
}

CountingGaps gapsIn(const std::vector<int16_t>& recorded) {
    CountingGaps gaps;
    for (size_t i = 2; i + 1 < recorded.size(); i += 2) {
        const int64_t skipped = frameNumber(&recorded[i]) - frameNumber(&recorded[i - 2]) - 1;
        if (skipped != 0) {
            gaps.positions.push_back(static_cast<int64_t>(i / 2));
            gaps.frames += skipped;
        }
    }
    return gaps;
}

std::string regularOverflows(int64_t first, int64_t step, int count, uint32_t frames) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        text +=
            (i > 0 ? "," : "") + std::to_string(first + i * step) + ":" + std::to_string(frames);
    }
    return text;
}

bool writeWave(const std::string& path, const std::vector<int16_t>& samples) {
    return AudioTest::writeSystemFile(path, samples, 2);
}

} // namespace EngineTest
