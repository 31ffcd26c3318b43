#pragma once

#include <cstdint>
#include <string>

class AEProject;

// The time left on the disc: nothing without a project, the whole capacity without
// titles, otherwise capacity less every title and its pause, "-" in front when over.
std::string remainingTimeText(const AEProject* project, int32_t capacitySeconds);
