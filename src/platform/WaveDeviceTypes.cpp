#include "WaveDeviceTypes.h"

const char* waveResultText(WaveResult result) {
    switch (result) {
    case WaveResult::kOk:
        return "no error";
    case WaveResult::kNoDevice:
        return "no audio device takes 44.1 kHz 16-bit stereo";
    case WaveResult::kBadDeviceNumber:
        return "no audio device with that number";
    case WaveResult::kFormatRefused:
        return "the audio device refused 44.1 kHz 16-bit stereo";
    case WaveResult::kDeviceFailed:
        return "the audio device failed";
    case WaveResult::kDeviceLost:
        return "the audio device has gone away";
    case WaveResult::kFileFailed:
        return "the virtual audio device cannot use its file";
    case WaveResult::kBadBuffer:
        return "bad audio buffer";
    case WaveResult::kNotPrepared:
        return "audio buffer not prepared";
    case WaveResult::kStillQueued:
        return "audio buffer still queued";
    case WaveResult::kQueueFull:
        return "too many audio buffers queued";
    case WaveResult::kClosed:
        return "audio device closed";
    case WaveResult::kFromCallback:
        return "not allowed in an audio buffer callback";
    }
    return "unknown audio device error";
}
