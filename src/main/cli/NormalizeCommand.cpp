// gleam-cli normalize IN OUT: brings the loudest sample of an audio file to full scale with
// one gain for both channels (two passes, as a title is normalized), written as 44 100 Hz
// 16-bit stereo WAVE.
#include "AENormalizingRun.h"
#include "AEProcessedFile.h"
#include "CliCommand.h"
#include "CliRunSupport.h"
#include "CliSession.h"

#include <cmath>
#include <cstdio>

namespace {

constexpr const char* kUsage = "normalize IN OUT";

int runNormalize(const std::vector<std::string>& arguments) {
    std::vector<std::string> args = arguments;
    const bool quiet = Cli::takeQuiet(args);
    if (args.size() != 2) {
        return Cli::fail(std::string("normalize: usage: ") + kUsage, 2);
    }
    int32_t frames = 0;
    if (!CliRun::checkInput("normalize", args[0], frames)) {
        return 2;
    }
    CliSession session(quiet);
    session.setProgressLabel("normalize");
    if (!session.startAlgorithmLibrary()) {
        return 1;
    }
    CliRun::InterruptCancels interrupt(session.app());
    AEProcessedFile output(args[1]);
    float gain = 1.0f;
    const AERunResult result = normalizeFile(args[0], output, nullptr, &gain);
    if (result != AERunResult::kDone) {
        return CliRun::failRun("normalize", "\"" + args[0] + "\"", result);
    }
    std::printf("%s: gain %.4f (%+.2f dB)\n", args[1].c_str(), static_cast<double>(gain),
                20.0 * std::log10(static_cast<double>(gain)));
    return 0;
}

const CliRegistration kNormalize({"normalize", kUsage, "normalize an audio file to full scale",
                                  runNormalize});

} // namespace
