// gleam-cli normalize IN OUT: brings the loudest sample of an audio file to full scale with
// one gain for both channels (two passes, as a title is normalized), written as 44 100 Hz
// 16-bit stereo in the format OUT's extension names (WAVE, AIFF or FLAC). IN may be any
// file the import takes; it is converted first as an import converts it.
#include "AENormalizingRun.h"
#include "AEProcessedFile.h"
#include "CliCommand.h"
#include "CliRunOutput.h"
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
    CliRun::RunOutput output;
    if (!output.prepare("normalize", args[1])) {
        return 2;
    }
    CliSession session(quiet);
    CliRun::InterruptCancels interrupt(session.app());
    session.setProgressLabel("convert");
    CliRun::RunInput input;
    if (!input.prepare("normalize", args[0])) {
        return 2;
    }
    session.setProgressLabel("normalize");
    if (!session.startAlgorithmLibrary()) {
        return 1;
    }
    float gain = 1.0f;
    const AERunResult result = normalizeFile(input.path(), output.runFile(), nullptr, &gain);
    if (result != AERunResult::kDone) {
        return CliRun::failRun("normalize", "\"" + args[0] + "\"", result);
    }
    if (!output.finish("normalize")) {
        return 1;
    }
    std::printf("%s: gain %.4f (%+.2f dB)\n", args[1].c_str(), static_cast<double>(gain),
                20.0 * std::log10(static_cast<double>(gain)));
    return 0;
}

const CliRegistration kNormalize({"normalize", kUsage, "normalize an audio file to full scale",
                                  runNormalize});

} // namespace
