// gleam-cli peaks FILE...: computes each audio file's peak file (FILE with its last
// extension replaced by "pk"), as an import does, replacing any peak file there was.
#include "AEPeakData.h"
#include "AudioFile.h"
#include "CliCommand.h"
#include "CliRunSupport.h"
#include "CliSession.h"

#include <cstdio>

namespace {

int runPeaks(const std::vector<std::string>& arguments) {
    std::vector<std::string> args = arguments;
    const bool quiet = Cli::takeQuiet(args);
    if (args.empty()) {
        return Cli::fail("peaks: no file given (gleam-cli peaks FILE...)", 2);
    }
    // The application carries the progress display the peak builder reports to.
    CliSession session(quiet);
    int status = 0;
    for (const auto& path : args) {
        AudioFile file(path);
        AEPeakData peaks(&file);
        session.setProgressLabel("peaks " + FNPath(path).fileName());
        if (!file.open(FAccessMode::kRead)) {
            Cli::fail("peaks: cannot open \"" + path +
                      "\": " + CliRun::openReason(file.lastOpenResult()));
            status = 1;
            continue;
        }
        file.close();
        if (!peaks.compute() || !peaks.isSaved()) {
            Cli::fail("peaks: cannot write \"" + peaks.peakPath() + "\"");
            status = 1;
            continue;
        }
        std::printf("%s: %d blocks\n", peaks.peakPath().c_str(), peaks.blockCount());
    }
    return status;
}

const CliRegistration kPeaks({"peaks", "peaks FILE...",
                              "build the peak file (.pk) of each audio file", runPeaks});

} // namespace
