#pragma once

#include "AlgorithmKernel.h"

#include <cstdint>
#include <memory>

// The audio algorithm library's entry points. Each object it makes owns its state, so a
// playback chain and a processing run never disturb each other; what stays process-wide
// is only the maximum block and the FFT plans, made once by initialise().
class AlgorithmLibrary {
public:
    // The maximum block the application asks for at start-up.
    static constexpr int32_t kApplicationMaxBlock = 8192;

    // Stores the maximum block and makes the FFT plans; 0 on success, nonzero when the
    // block is not positive or the plans cannot be made. Calling it again updates the
    // maximum block for objects made afterwards.
    static int32_t initialise(int32_t maxBlockFrames);
    // Releases the FFT plans. Objects still alive keep their own state.
    static void shutdown();
    static bool isInitialised();
    static int32_t maxBlock();

    // A new object of `kind` in its reset state, or null before initialise() or for a
    // kind this build cannot make. Freeing it is destroying the pointer.
    static std::unique_ptr<AlgorithmKernel> create(ProcessorKind kind,
                                                   const ParameterBlock& params);
};
