#pragma once

#include "AERunResult.h"

#include <atomic>
#include <cstdint>
#include <string>

class AEProcessedFile;
class AEProject;

// Normalizes `sourcePath` (any audio file the program reads at 44 100 Hz) into `output` in
// two passes: the first finds the loudest sample of either channel, the second applies
// the one gain that brings it to full scale to both channels and writes the result. A
// cancel in the first pass writes nothing; one in the second leaves no file. `gain`, when
// given, receives the gain applied.
AERunResult normalizeFile(const std::string& sourcePath, AEProcessedFile& output,
                          std::atomic<int64_t>* batchSteps = nullptr, float* gain = nullptr);

// The normalizing run of title `index`: all of its current audio becomes a new processed
// file (named as a processing run names it), which the title then plays; its fade points
// become unset. An earlier processed file of the title that no title names any more is
// deleted. Any other outcome leaves the title as it was and no file behind.
AERunResult normalizeTitle(AEProject& project, int32_t index, const std::string& projectPath,
                           std::atomic<int64_t>* batchSteps = nullptr);
