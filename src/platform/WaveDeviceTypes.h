#pragma once

#include <atomic>
#include <cstdint>
#include <string>

// The small types of the wave device layer: directions, results, buffer headers,
// counters and device descriptions.
//
// Every wave device uses one fixed format: 44 100 frames per second, 16-bit signed
// samples in the machine's (little-endian) byte order, 2 channels interleaved, 4 bytes per
// frame.
namespace WaveFormat {
constexpr int kSampleRate = 44100;
constexpr int kChannels = 2;
constexpr int kBytesPerFrame = 4;
} // namespace WaveFormat

enum class WaveDirection { kOutput, kInput };

// Device number that stands for the default device of a direction (the system's own when
// it takes the format, else the first one that does).
constexpr int kWaveDefaultDevice = -1;

enum class WaveResult {
    kOk,
    kNoDevice,        // no device of that direction takes the format
    kBadDeviceNumber, // no device with that number
    kFormatRefused,   // the device would not open with the format
    kDeviceFailed,    // the backend failed otherwise
    kDeviceLost,      // the device stopped by itself (server gone, file failed)
    kFileFailed,      // the virtual device's input or output file cannot be used
    kBadBuffer,       // no memory, no length, or a length that is not whole frames
    kNotPrepared,
    kStillQueued, // the header (or, for close, some header) is still in the queue
    kQueueFull,
    kClosed,
    kFromCallback, // not allowed on the completion thread
};

// One line of text for a result, for logs and error messages.
const char* waveResultText(WaveResult result);

// A buffer handed to a device. The owner sets `data` and `bufferLength` (whole frames)
// before prepare; the device sets `bytesRecorded` (input) and the flags; `user` belongs to
// the owner alone (e.g. an in-use mark). The device marks a header done (kDone set,
// kInQueue cleared) on its completion thread just before the callback for it.
struct WaveHeader {
    static constexpr uint32_t kDone = 0x1;
    static constexpr uint32_t kPrepared = 0x2;
    static constexpr uint32_t kInQueue = 0x10;

    uint8_t* data = nullptr;
    uint32_t bufferLength = 0;
    std::atomic<uint32_t> bytesRecorded{0};
    std::atomic<uint32_t> user{0};
    std::atomic<uint32_t> flags{0};

    bool isDone() const { return (flags.load(std::memory_order_acquire) & kDone) != 0; }
    bool isPrepared() const { return (flags.load(std::memory_order_acquire) & kPrepared) != 0; }
    bool isQueued() const { return (flags.load(std::memory_order_acquire) & kInQueue) != 0; }
};

// What a device has seen since it was opened.
struct WaveDeviceStats {
    uint64_t frames = 0;         // frames moved to or from buffers since open or the last reset
    uint64_t underflows = 0;     // output underflows the backend reported
    uint64_t overflows = 0;      // input overflows the backend reported
    uint64_t starvedFrames = 0;  // output: silence played between buffers, the next came late
    uint64_t droppedFrames = 0;  // input: frames lost while no buffer was free
    uint64_t overflowFrames = 0; // input: frames the backend lost in its overflows
    uint64_t dropouts = 0;       // input: runs of lost frames, whatever lost them
};

// One run of input frames that never reached a buffer: `atFrame` frames had been stored
// into buffers (counted from the device's open) when it began.
struct WaveDropout {
    uint64_t atFrame = 0;
    uint64_t frames = 0;
};

// One device of the system as the device list shows it. The numbers are those that open
// it: its position among the devices of a direction that take the fixed format, or -1.
struct WaveDeviceInfo {
    std::string name;
    std::string hostApi;
    int inputChannels = 0;
    int outputChannels = 0;
    bool cdFormatOutput = false;
    bool cdFormatInput = false;
    int outputNumber = -1;
    int inputNumber = -1;
};
