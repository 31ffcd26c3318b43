// gleam-cli generate OUT.wav [--seconds N] [--seed N]: writes a made-up recording of a worn
// record (music under hiss, clicks and crackle) as 44 100 Hz 16-bit stereo WAVE, for
// trying the restoration and the project commands without a turntable.
#include "AETimeText.h"
#include "AudioFile.h"
#include "CliCommand.h"
#include "CliRunSupport.h"
#include "WornRecord.h"

#include "FPendingFile.h"

#include <cinttypes>
#include <cmath>
#include <cstdio>

namespace {

constexpr const char* kUsage = "generate OUT.wav [--seconds N] [--seed N]";
constexpr double kDefaultSeconds = 10.0;
// Made whole in memory: five minutes are plenty for trying things out.
constexpr double kMostSeconds = 300.0;

// Written beside its final name and moved into place, so a failure leaves nothing.
bool writeWave(const std::string& path, const std::vector<int16_t>& samples) {
    // The type comes from the extension, so the temporary name ends in ".wav" too.
    FPendingFile pending(path, path + ".saving.wav");
    {
        AudioFile file(pending.pendingPath());
        if (!file.create()) {
            return false;
        }
        file.setSampleRate(44100.0f);
        file.setBits(16);
        file.setChannels(2);
        file.setClientFormat(file.fileFormat());
        const auto frames = static_cast<int32_t>(samples.size() / 2);
        if (file.write(frames, samples.data()) != frames || !file.close()) {
            return false;
        }
    }
    return pending.commit();
}

int runGenerate(const std::vector<std::string>& args) {
    CliRun::Arguments parsed;
    if (!CliRun::splitArguments("generate", args, {"seconds", "seed"}, parsed)) {
        return 2;
    }
    if (parsed.plain.size() != 1) {
        return Cli::fail(std::string("generate: usage: ") + kUsage, 2);
    }
    double seconds = kDefaultSeconds;
    double seed = 1.0;
    if ((!parsed.values[0].empty() && !CliRun::parseNumber("generate", "seconds", parsed.values[0],
                                                           0.1, kMostSeconds, seconds)) ||
        (!parsed.values[1].empty() &&
         !CliRun::parseNumber("generate", "seed", parsed.values[1], 0.0, 4294967295.0, seed))) {
        return 2;
    }
    WornRecordOptions options;
    options.frames = static_cast<int32_t>(std::lround(seconds * 44100.0));
    options.seed = static_cast<uint32_t>(seed);
    std::vector<int16_t> samples;
    const WornRecordDamage damage = makeWornRecord(options, samples);
    const std::string& path = parsed.plain[0];
    if (!writeWave(path, samples)) {
        return Cli::fail("generate: cannot write \"" + path + "\"");
    }
    std::printf("%s: %s of music with hiss, %zu clicks and %" PRId32 " crackles\n", path.c_str(),
                AETimeText::minutesSeconds(options.frames).c_str(), damage.clickFrames.size(),
                damage.crackles);
    return 0;
}

const CliRegistration kGenerate({"generate", kUsage,
                                 "write a worn record's sound for trying things out: music "
                                 "under hiss, clicks and crackle",
                                 runGenerate});

} // namespace
