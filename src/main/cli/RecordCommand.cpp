// gleam-cli record OUT.wav [--seconds N]: records the sound card's input into a new WAVE
// file with its peak file, as the window records a title, showing the input meters, clip
// marks and dropouts on one line. Ctrl-C, the time limit, a full disk or the most a WAVE
// file holds stops it, always with a complete file and peak file. Audio lost to dropouts
// is told on standard error at the end.
#include "AEApplication.h"
#include "AEPeakData.h"
#include "AETimeText.h"
#include "CliAudio.h"
#include "CliCommand.h"
#include "CliRunSupport.h"
#include "CliSession.h"
#include "DiskSpace.h"

#include "FFileSystem.h"
#include "FNPath.h"

#include <algorithm>
#include <chrono>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <thread>

namespace {

constexpr const char* kUsage = "record OUT.wav [--seconds N]";

std::string clipMarks(const AEAudioEngine& engine) {
    std::string marks;
    if (engine.clipFlag(0)) {
        marks += " clip L";
    }
    if (engine.clipFlag(1)) {
        marks += " clip R";
    }
    return marks;
}

// The frames a recording into `path` may take: the room on its drive, or less.
AERecordLimit limitFor(AEAudioEngine& engine, const std::string& path, double seconds) {
    std::string directory = FNPath(path).directory();
    if (directory.empty()) {
        directory = ".";
    }
    const int64_t room = DiskSpace::freeKB(directory) * 256;
    if (seconds > 0.0 && std::llround(seconds * 44100.0) < room) {
        return engine.setMaxRecordFrames(std::llround(seconds * 44100.0),
                                         AERecordLimit::Reason::kTimeLimit);
    }
    return engine.setMaxRecordFrames(room);
}

int runRecord(const std::vector<std::string>& arguments) {
    std::vector<std::string> args = arguments;
    const bool quiet = Cli::takeQuiet(args);
    CliRun::Arguments parsed;
    if (!CliRun::splitArguments("record", args, {"seconds"}, parsed)) {
        return 2;
    }
    if (parsed.plain.size() != 1) {
        return Cli::fail(std::string("record: usage: ") + kUsage, 2);
    }
    const std::string& path = parsed.plain[0];
    double seconds = 0.0;
    if (!parsed.values[0].empty() &&
        !CliRun::parseNumber("record", "seconds", parsed.values[0], 0.001, 1.0e6, seconds)) {
        return 2;
    }

    CliSession session(quiet);
    AEApplication& app = session.app();
    if (!CliAudio::startEngine(app, "record", true)) {
        return 1;
    }
    AEAudioEngine& engine = app.engine();
    if (!engine.startInput()) {
        return Cli::fail("record: the recording device does not start");
    }
    const AERecordLimit limit = limitFor(engine, path, seconds);
    if (limit.frames <= 0) {
        return Cli::fail("record: no room on the drive of \"" + path + "\"");
    }
    CliRun::InterruptCancels interrupt(app);
    engine.setFilePath(path);
    if (!engine.record()) {
        return Cli::fail("record: cannot create \"" + path + "\"");
    }
    std::printf("%s: recording, %s\n", path.c_str(), limit.text().c_str());
    std::fflush(stdout);
    while (engine.state() == AEAudioEngine::kRecording && !app.cancelRequested()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(CliAudio::kPollMilliseconds));
        if (engine.state() != AEAudioEngine::kRecording) {
            break;
        }
        CliAudio::status(AETimeText::hoursMinutesSeconds(engine.position()) + "  L " +
                             CliAudio::bar(engine.meter(AELevelMeters::kInLeft), 20) + " R " +
                             CliAudio::bar(engine.meter(AELevelMeters::kInRight), 20) +
                             clipMarks(engine) + "  dropouts " +
                             std::to_string(engine.recordingDropouts().count),
                         quiet);
    }
    const bool byItself = engine.state() != AEAudioEngine::kRecording;
    if (!byItself) {
        engine.stop();
    }
    const AERecordingDropouts::Totals lost = engine.recordingDropouts();
    CliAudio::statusDone(quiet);
    const int32_t frames = std::max(AEFileManager::framesOf(path), 0);
    if (engine.deviceLost()) {
        return Cli::fail("record: the sound card stopped; \"" + path + "\" holds " +
                         AETimeText::hoursMinutesSeconds(frames) + " up to there");
    }
    std::printf("%s: %s recorded (%" PRId32 " frames)%s%s\n", path.c_str(),
                AETimeText::hoursMinutesSeconds(frames).c_str(), frames, clipMarks(engine).c_str(),
                byItself && limit.byFileSize() ? ", stopped at the most a WAVE file holds" : "");
    std::fflush(stdout);
    if (lost.count > 0) {
        std::fprintf(stderr,
                     "gleam-cli: record: %" PRIu64 " dropouts, %" PRId64 " ms of audio lost\n",
                     lost.count, lost.milliseconds());
    }
    if (!FFileSystem::exists(AEPeakData::peakPath(path))) {
        return Cli::fail("record: the peak file of \"" + path + "\" was not written");
    }
    return 0;
}

const CliRegistration kRecord({"record", kUsage,
                               "record the sound card's input into a WAVE file with its peaks",
                               runRecord});

} // namespace
