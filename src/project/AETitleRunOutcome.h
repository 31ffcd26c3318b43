#pragma once

#include "AEProjectOutcome.h"
#include "AERunResult.h"

#include <cstdint>
#include <string>

// What one processing or normalizing run of a title came to. Applying a done run makes the
// title play the new file, processed, at the file's length; a processed title's six
// switches go off, a normalized title's fade points become unset; an earlier processed
// file that no title names any more is deleted (AEProcessedFile::replaceTitleAudio). Any
// other result changes nothing. A title that plays another file by now than the run read
// is left as it is, and the run's file goes.
class AETitleRunOutcome : public AEProjectOutcome {
public:
    enum class Kind { kProcessed, kNormalized };

    AETitleRunOutcome(Kind kind, int32_t index, std::string source, AERunResult result)
        : kind(kind), index(index), source(std::move(source)), result(result) {}

    void apply(AEProject& project) override;

    const Kind kind;
    const int32_t index;
    const std::string source;
    AERunResult result;
    // Set when done: the new file and its frames.
    std::string path;
    int32_t length = 0;
    // What the repair stages did, for the window's status line ("" when nothing to tell).
    std::string status;
};
