#pragma once

#include "ProcessorSwitches.h"
#include "StageBuffers.h"

#include <memory>

// What the processors of one chain share: the switch set they read and the work areas
// the signal passes through between stages.
struct ChainContext {
    std::shared_ptr<const ProcessorSwitches> switches;
    std::shared_ptr<StageBuffers> buffers;

    // A context with its own work areas, reading `switches`.
    static ChainContext make(std::shared_ptr<const ProcessorSwitches> switches) {
        return {std::move(switches), std::make_shared<StageBuffers>()};
    }
};
