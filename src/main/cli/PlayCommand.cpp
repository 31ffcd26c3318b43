// gleam-cli play FILE [--click P] ... [--brilliance P] [--bypass] [--mono left|right]
// [--loop START,END] [--seconds N]: plays a file through the live restoration chain, as
// the window plays a title, showing the output meters, the position and the engine's
// load on one line. Ctrl-C, the time limit or the end of the file stops it.
#include "AEApplication.h"
#include "AETimeText.h"
#include "CliAudio.h"
#include "CliCommand.h"
#include "CliRestorationMode.h"
#include "CliRunSupport.h"
#include "CliSession.h"
#include "RestorationStages.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <thread>

namespace {

const std::string kUsage = "play FILE " + restorationStageUsage() +
                           " [--bypass] [--mono left|right] [--loop START,END] [--seconds N] "
                           "[--mode classic|enhanced]";

// The stages in slot order, then the options of their own.
const std::vector<std::string> kOptions =
    restorationStageOptions({"mono", "loop", "seconds", "mode"});
constexpr int32_t kStages = static_cast<int32_t>(kRestorationStages.size());
constexpr size_t kMono = kStages;
constexpr size_t kLoop = kStages + 1;
constexpr size_t kSeconds = kStages + 2;
constexpr size_t kMode = kStages + 3;

struct PlayRequest {
    std::string path;
    std::array<double, kStages> values{-1, -1, -1, -1, -1, -1};
    bool bypass = false;
    RestorationMode mode = kDefaultRestorationMode;
    bool mono = false;
    bool monoLeft = true;
    bool loop = false;
    double loopStart = 0.0;
    double loopEnd = 0.0;
    double seconds = 0.0;
};

bool parseLoop(const std::string& text, PlayRequest& request) {
    const size_t comma = text.find(',');
    double start = 0.0;
    double end = 0.0;
    if (comma == std::string::npos ||
        !CliRun::parseNumber("play", "loop", text.substr(0, comma), 0.0, 1.0e6, start) ||
        !CliRun::parseNumber("play", "loop", text.substr(comma + 1), 0.0, 1.0e6, end)) {
        if (comma == std::string::npos) {
            Cli::fail("play: --loop takes START,END in seconds, not \"" + text + "\"", 2);
        }
        return false;
    }
    if (end <= start) {
        Cli::fail("play: the loop must end after it starts", 2);
        return false;
    }
    request.loop = true;
    request.loopStart = start;
    request.loopEnd = end;
    return true;
}

bool parseRequest(std::vector<std::string> args, PlayRequest& request) {
    const auto bypass = std::find(args.begin(), args.end(), "--bypass");
    if (bypass != args.end()) {
        request.bypass = true;
        args.erase(bypass);
    }
    CliRun::Arguments parsed;
    if (!CliRun::splitArguments("play", args, kOptions, parsed)) {
        return false;
    }
    if (parsed.plain.size() != 1) {
        Cli::fail(std::string("play: usage: ") + kUsage, 2);
        return false;
    }
    request.path = parsed.plain[0];
    for (int32_t slot = 0; slot < kStages; ++slot) {
        const std::string& text = parsed.values[static_cast<size_t>(slot)];
        const RestorationStage& stage = kRestorationStages[static_cast<size_t>(slot)];
        if (!text.empty() && !CliRun::parseNumber("play", stage.option, text, stage.low, stage.high,
                                                  request.values[static_cast<size_t>(slot)])) {
            return false;
        }
    }
    const std::string& mono = parsed.values[kMono];
    if (!mono.empty()) {
        if (mono != "left" && mono != "right") {
            Cli::fail("play: --mono takes left or right, not \"" + mono + "\"", 2);
            return false;
        }
        request.mono = true;
        request.monoLeft = mono == "left";
    }
    if (!parsed.values[kLoop].empty() && !parseLoop(parsed.values[kLoop], request)) {
        return false;
    }
    const auto mode = CliRun::restorationMode("play", parsed.values[kMode]);
    if (!mode) {
        return false;
    }
    request.mode = *mode;
    return parsed.values[kSeconds].empty() ||
           CliRun::parseNumber("play", "seconds", parsed.values[kSeconds], 0.001, 1.0e6,
                               request.seconds);
}

// The chain as the window sets it up: the given stages, then the fades (none) and the limiter.
void setUpChain(AEAudioEngine& engine, const PlayRequest& request) {
    ProcessorSwitches& switches = *engine.playbackSwitches();
    switches.setBypassButton(request.bypass);
    switches.setMonoButton(request.mono);
    switches.setMonoUseLeft(request.monoLeft);
    engine.setRestorationMode(request.mode);
    for (int32_t slot = 0; slot < kStages; ++slot) {
        const double value = request.values[static_cast<size_t>(slot)];
        if (value >= 0.0) {
            engine.createProcessor(slot, static_cast<float>(value));
        }
    }
    engine.createProcessor(AETransport::kFadeSlot, 0.0f);
    engine.createProcessor(AETransport::kLimiterSlot, 0.0f);
}

int32_t toFrames(double seconds) {
    return static_cast<int32_t>(std::min<long long>(std::llround(seconds * 44100.0), INT32_MAX));
}

int runPlay(const std::vector<std::string>& arguments) {
    std::vector<std::string> args = arguments;
    const bool quiet = Cli::takeQuiet(args);
    PlayRequest request;
    if (!parseRequest(args, request)) {
        return 2;
    }
    int32_t length = 0;
    {
        AEAudiofile file(request.path);
        if (!file.openForRead()) {
            return Cli::fail("play: cannot open \"" + request.path + "\" for playing");
        }
        length = file.getLength();
    }
    const int32_t loopStart = toFrames(request.loopStart);
    const int32_t loopEnd = std::min(toFrames(request.loopEnd), length);
    if (request.loop && loopStart >= loopEnd) {
        return Cli::fail("play: the loop lies beyond the end of \"" + request.path + "\"", 2);
    }

    CliSession session(quiet);
    if (!session.startAlgorithmLibrary() || !CliAudio::startEngine(session.app(), "play", false)) {
        return 1;
    }
    CliRun::InterruptCancels interrupt(session.app());
    AEAudioEngine& engine = session.app().engine();
    setUpChain(engine, request);
    engine.setFilePath(request.path);
    const bool playing = request.loop ? engine.playRange(loopStart, loopEnd) : engine.play();
    if (!playing) {
        return Cli::fail("play: the sound card does not play 44.1 kHz 16-bit stereo: " +
                         session.app().device().lastError());
    }
    const auto started = std::chrono::steady_clock::now();
    const auto limit = std::chrono::duration<double>(request.seconds);
    while (engine.isPlayingOrRecording() && !session.app().cancelRequested() &&
           (request.seconds <= 0.0 || std::chrono::steady_clock::now() - started < limit)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(CliAudio::kPollMilliseconds));
        if (!engine.isPlayingOrRecording()) {
            break;
        }
        CliAudio::status(AETimeText::hoursMinutesSeconds(engine.position()) + "  L " +
                             CliAudio::bar(engine.meter(AELevelMeters::kOutLeft), 20) + " R " +
                             CliAudio::bar(engine.meter(AELevelMeters::kOutRight), 20) + "  load " +
                             std::to_string(engine.load()) + "%",
                         quiet);
    }
    const bool ended = !engine.isPlayingOrRecording();
    const int32_t position = ended ? engine.position() : engine.stop();
    CliAudio::statusDone(quiet);
    if (engine.deviceLost()) {
        return Cli::fail("play: the sound card stopped while playing");
    }
    if (ended) {
        std::printf("%s: played to the end\n", request.path.c_str());
    } else {
        std::printf("%s: stopped at %s\n", request.path.c_str(),
                    AETimeText::hoursMinutesSeconds(position).c_str());
    }
    return 0;
}

const CliRegistration kPlay({"play", kUsage.c_str(),
                             "play a file through the live restoration chain", runPlay});

} // namespace
