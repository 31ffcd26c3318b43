#pragma once

#include "AEProjectOutcome.h"
#include "AERunResult.h"

#include <cstdint>
#include <optional>
#include <string>

// What one processing or normalizing run of a title came to. Applying a done run makes the
// title play the new file, processed, at the file's length; a processed title's six
// switches go off, a normalized title's fade points become unset (so do those of a title
// normalized to a loudness, whose new file holds what it played); a measured loudness is
// remembered by the title; an earlier processed file that no title names any more is deleted
// (AEProcessedFile::replaceTitleAudio). Any other result changes nothing. A title that plays
// another file by now than the run read is left as it is, and the run's file goes.
class AETitleRunOutcome : public AEProjectOutcome {
public:
    // kLoudness: normalized to a loudness, the new file holding what the title played;
    // kMeasured: the title's loudness measured, its audio left as it is.
    enum class Kind { kProcessed, kNormalized, kLoudness, kMeasured };

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
    // The loudness of what the title plays once the outcome is applied, when measured.
    std::optional<double> loudness;
    // What the repair stages did, for the window's status line ("" when nothing to tell).
    std::string status;
};
