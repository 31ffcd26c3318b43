#include "NspFftPlanner.h"

#include <cstdlib>

namespace {

// The wisdom the program carries; empty until the tool has written it for this FFTW.
constexpr const char* kWisdom =
#include "NspFftWisdom.inc"
    ;

bool gWisdomLoaded = false;
bool gWisdomTried = false;
bool gMeasure = false;

} // namespace

namespace nsp_planner {

std::mutex& mutex() {
    static std::mutex planner;
    return planner;
}

unsigned firstFlags() {
    if (gMeasure) {
        return FFTW_PATIENT;
    }
    if (!gWisdomTried) {
        gWisdomTried = true;
        gWisdomLoaded = kWisdom[0] != '\0' && fftwf_import_wisdom_from_string(kWisdom) != 0;
    }
    return gWisdomLoaded ? FFTW_MEASURE | FFTW_WISDOM_ONLY : FFTW_ESTIMATE;
}

bool wisdomLoaded() {
    std::lock_guard lock(mutex());
    firstFlags();
    return gWisdomLoaded;
}

const char* carriedWisdom() {
    return kWisdom;
}

void measureFromNowOn() {
    gMeasure = true;
}

std::string exportWisdom() {
    char* text = fftwf_export_wisdom_to_string();
    std::string wisdom = text ? text : "";
    std::free(text);
    return wisdom;
}

} // namespace nsp_planner
