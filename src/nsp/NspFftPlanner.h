#pragma once

#include <fftw3.h>

#include <mutex>
#include <string>

// How every FFT plan of the program is made. FFTW's planner is not thread-safe: plans are
// made and destroyed only while mutex() is held, by every part of the program alike.
//
// The program carries FFTW wisdom: plans measured once for the transforms restoration
// makes (NspFftWisdom.inc, written by the make_fft_wisdom tool). Where that wisdom applies
// to this FFTW and processor, plans come from it and run about a third faster than
// estimated ones; where it does not, plans are estimated. Either way every process on a
// machine makes the same plans, so restoring a file gives the same bytes each time: plans
// are never measured at run time.
namespace nsp_planner {

std::mutex& mutex();

// True when the carried wisdom was taken by this FFTW (its plans may still not suit the
// processor, in which case they are estimated).
bool wisdomLoaded();
// The wisdom as the program carries it: FFTW's text, empty when none was made.
const char* carriedWisdom();

// For the wisdom tool: from now on plans are measured, patiently (slow, and not
// reproducible), and the wisdom gathered so far is exported. Call with mutex() held.
void measureFromNowOn();
std::string exportWisdom();

// Implementation detail of plan(): loads the wisdom once and says which flags to try.
unsigned firstFlags();

// Planning flags for one problem: make(flags) is tried with the measured flags (from the
// wisdom only), then with the estimated ones. `extra` is added to both (FFTW_UNALIGNED,
// FFTW_DESTROY_INPUT...). Call with mutex() held; null when FFTW cannot plan at all.
template <class Make> fftwf_plan plan(Make make, unsigned extra) {
    const unsigned first = firstFlags();
    if (fftwf_plan measured = make(first | extra)) {
        return measured;
    }
    return first == FFTW_ESTIMATE ? nullptr : make(FFTW_ESTIMATE | extra);
}

} // namespace nsp_planner
