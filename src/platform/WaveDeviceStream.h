#pragma once

#include "WaveDeviceTypes.h"

#include <string>

class WaveDeviceQueue;

// The backend under a wave device: what moves frames between the device and the queue,
// on a thread of its own (a PortAudio stream, or the virtual device's clock).
class WaveDeviceStream {
public:
    virtual ~WaveDeviceStream() = default;

    // Begins calling queue.playInto (output) or queue.recordFrom (input).
    virtual WaveResult start(WaveDeviceQueue& queue) = 0;
    // Ends it: once this returns, the backend no longer touches the queue. Never hangs,
    // not even when the device has gone.
    virtual void stop() = 0;
    // The device stopped by itself while started: a server that went away, a file that
    // failed.
    virtual bool lost() const = 0;
    // Something was queued or started: a backend that waits for work looks again.
    virtual void wake() {}
    virtual std::string name() const = 0;
};
