// Writes the FFTW wisdom the program carries (src/nsp/NspFftWisdom.inc): it makes every
// FFT plan a restore makes, in both modes, by measuring, and prints the wisdom gathered as
// the text of that file. Run it on a quiet machine of the kind users have, after a change
// of FFT sizes or of FFTW:
//   build/bench/make_fft_wisdom > src/nsp/NspFftWisdom.inc
// A stale or foreign wisdom is harmless: plans it does not hold are estimated.
#include "AlgorithmLibrary.h"
#include "NspFftPlanner.h"
#include "ProcessingPass.h"
#include "ProcessingSettings.h"

#include <cstdio>

int main() {
    {
        std::lock_guard lock(nsp_planner::mutex());
        nsp_planner::measureFromNowOn();
    }
    if (AlgorithmLibrary::initialise(AlgorithmLibrary::kApplicationMaxBlock) != 0) {
        std::fprintf(stderr, "make_fft_wisdom: the algorithm library did not start\n");
        return 1;
    }
    for (const RestorationMode mode : {RestorationMode::kClassic, RestorationMode::kEnhanced}) {
        ProcessingSettings settings;
        settings.mode = mode;
        settings.values.fill(0.5f);
        settings.enabled.fill(true);
        settings.length = 44100;
        if (!ProcessingPass::create(settings)) {
            std::fprintf(stderr, "make_fft_wisdom: no processing pass\n");
            return 1;
        }
    }
    std::lock_guard lock(nsp_planner::mutex());
    std::printf("R\"wisdom(%s)wisdom\"\n", nsp_planner::exportWisdom().c_str());
    return 0;
}
