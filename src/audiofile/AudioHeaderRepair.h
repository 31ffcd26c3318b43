#pragma once

#include <cstdint>
#include <string>

// Mends the header of a recording cut off by a crash: a WAVE or AIFF file whose sample
// data is its last chunk, but whose header lengths still say 0 or an older size (or more
// than the file holds). The data then runs to the end of the file: the RIFF and "data"
// sizes (FORM and "SSND" sizes and the "COMM" frame count for AIFF) are rewritten in place
// for the whole frames present. A partial frame at the end is left in the file, outside
// the data chunk, rather than cut away: nothing is ever removed from a recording.
//
// A file whose data chunk is followed by whole chunks up to the end is taken as intact.
// A file whose lengths already agree is not written; neither is anything that is not a
// readable WAVE or AIFF header.
struct AudioHeaderRepair {
    bool ok = false;      // the header now describes the file
    bool changed = false; // the header was rewritten
    int32_t framesBefore = 0;
    int32_t framesAfter = 0;

    static AudioHeaderRepair repair(const std::string& path);
};
