// One record side from the turntable to the disc image, through gleam-cli as a user runs it:
// import, split at the silences, click, crackle and noise repair of every title, normalize,
// export-disc. The image must hold the songs, one per track, repaired: no pop left, the
// hiss between the songs lower against the music than on the side, every track at full
// scale, the pauses digital silence where the cue sheet puts them.
#include "ProjectTestSupport.h"
#include "SplitTestSides.h"
#include "support/CliRun.h"

#include "support/TestDirs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <regex>

namespace {

using namespace ProjectTest;
using namespace TestCli;

constexpr int32_t kSectorFrames = 588;
constexpr int32_t kHop = 2205; // 50 ms

struct CueTrack {
    int32_t pause = -1; // first sector of INDEX 00, or -1
    int32_t start = 0;  // first sector of INDEX 01
};

std::vector<CueTrack> cueTracks(const std::string& sheet) {
    std::vector<CueTrack> tracks;
    const std::regex index("INDEX 0([01]) (\\d\\d):(\\d\\d):(\\d\\d)");
    for (auto it = std::sregex_iterator(sheet.begin(), sheet.end(), index);
         it != std::sregex_iterator(); ++it) {
        const auto& m = *it;
        const int32_t sector = (std::stoi(m[2]) * 60 + std::stoi(m[3])) * 75 + std::stoi(m[4]);
        if (m[1] == "0") {
            tracks.push_back({sector, 0});
        } else if (!tracks.empty() && tracks.back().pause >= 0 && tracks.back().start == 0) {
            tracks.back().start = sector;
        } else {
            tracks.push_back({-1, sector});
        }
    }
    return tracks;
}

// Frames where a pop begins: the second difference of either channel beyond `limit`, at
// least 64 frames after the last one. The side's pops (0.4 to 0.9 of full scale, of
// alternating sign) go far beyond 12000; its music and hiss stay far below.
int32_t pops(const std::vector<int16_t>& x, int32_t from, int32_t to, int32_t limit = 12000) {
    int32_t count = 0;
    int32_t last = -1000;
    for (int32_t f = std::max(from, 2); f < to; ++f) {
        for (int c = 0; c < 2; ++c) {
            const auto at = [&](int32_t g) { return int32_t{x[2 * static_cast<size_t>(g) + c]}; };
            if (std::abs(at(f) - 2 * at(f - 1) + at(f - 2)) > limit && f - last > 64) {
                ++count;
                last = f;
            }
        }
    }
    return count;
}

// The hiss between the songs against the music, in dB: the 10th against the 90th
// percentile of the levels of 50 ms hops, digital silence left out.
double hissBelowMusic(const std::vector<int16_t>& x, int32_t from, int32_t to) {
    std::vector<double> levels;
    for (int32_t h = from; h + kHop <= to; h += kHop) {
        double sum = 0.0;
        for (size_t i = 2 * static_cast<size_t>(h); i < 2 * static_cast<size_t>(h + kHop); ++i) {
            sum += static_cast<double>(x[i]) * x[i];
        }
        if (sum > 0.0) {
            levels.push_back(10.0 * std::log10(sum / (2 * kHop)));
        }
    }
    std::sort(levels.begin(), levels.end());
    return levels[levels.size() * 9 / 10] - levels[levels.size() / 10];
}

TEST(RestoreSideJourney, FromAWornSideToARepairedDiscImage) {
    WornRecordDamage made;
    const SplitTest::Side side =
        SplitTest::worn(SplitTest::SideBuilder(31)
                            .silence(1.5)
                            .song(9, -20, {})
                            .silence(2.5)
                            .song(10, -24, {.quietAt = 4.0, .quietSeconds = 2.0, .quietDb = 12})
                            .silence(2.0)
                            .song(8, -20, {.fadeOutSeconds = 2.0})
                            .silence(1.5)
                            .build(),
                        SplitTest::hiss(-50, 1.5, 30.0), &made);
    const int32_t sidePops = pops(side.samples, 0, side.frames());
    ASSERT_GE(sidePops, static_cast<int32_t>(made.clickFrames.size()));

    TestDir dir;
    const std::string project = dir.file("side-a.dat");
    const std::string wave = dir.file("side-a-44100-2-16.wav");
    writeWaveSamples(wave, side.samples);
    auto ok = [&](QStringList args) {
        args.prepend(q(project));
        args.prepend("--quiet");
        args.prepend("project");
        const CliRun run = cli(args);
        EXPECT_EQ(run.code, 0) << args.join(' ').toStdString() << "\n" << run.err;
        return run;
    };
    ASSERT_EQ(cli({"project", q(project), "create", "--base", q(dir.path())}).code, 0);
    ok({"import", q(wave)});
    const CliRun split = ok({"split", "1"});
    ASSERT_EQ(std::count(split.out.begin(), split.out.end(), '\n'), 3) << split.out;
    for (const char* title : {"1", "2", "3"}) {
        ok({"set", title, "--click", "0.5", "--crackle", "0.5", "--noise", "0.5"});
    }
    ok({"process", "all", "--mode", "classic"});
    ok({"normalize", "all"});
    const std::string cue = dir.file("side-a.cue");
    ok({"export-disc", q(cue)});
    ASSERT_FALSE(HasFailure());

    // Three tracks, one song each: a track is at least its song long and no longer than
    // the song with the gaps on either side.
    const std::vector<CueTrack> tracks = cueTracks(readFile(cue));
    ASSERT_EQ(tracks.size(), 3u) << readFile(cue);
    const std::string bin = readFile(dir.file("side-a.bin"));
    ASSERT_EQ(bin.size() % (4 * kSectorFrames), 0u);
    std::vector<int16_t> image(bin.size() / 2);
    std::memcpy(image.data(), bin.data(), bin.size());
    const auto frames = static_cast<int32_t>(image.size() / 2);
    for (size_t t = 0; t < tracks.size(); ++t) {
        SCOPED_TRACE("track " + std::to_string(t + 1));
        const int32_t from = tracks[t].start * kSectorFrames;
        const int32_t to =
            t + 1 < tracks.size()
                ? (tracks[t + 1].pause >= 0 ? tracks[t + 1].pause : tracks[t + 1].start) *
                      kSectorFrames
                : frames;
        const int32_t song = side.songEnds[t] - side.songStarts[t];
        const int32_t around =
            (t > 0 ? side.songStarts[t] - side.songEnds[t - 1] : side.songStarts[t]) +
            (t + 1 < 3 ? side.songStarts[t + 1] - side.songEnds[t]
                       : side.frames() - side.songEnds[t]);
        EXPECT_GE(to - from, song);
        EXPECT_LE(to - from, song + around + kSectorFrames);
        // The pause before the track is digital silence.
        if (tracks[t].pause >= 0) {
            const auto pause = image.begin() + 2 * tracks[t].pause * kSectorFrames;
            EXPECT_TRUE(
                std::all_of(pause, image.begin() + 2 * from, [](int16_t v) { return v == 0; }));
        }
        // Repaired: no pop, and none made (the noise stage once left steps on loud bass
        // notes); the hiss lower against the music, normalized to full scale. The
        // normalizing raises the track about 10 dB, a pop of the side beyond 24000.
        EXPECT_EQ(pops(image, from, to, 6000), 0);
        const int32_t a = t > 0 ? side.songEnds[t - 1] : 0;
        const int32_t b = t + 1 < 3 ? side.songStarts[t + 1] : side.frames();
        const double before = hissBelowMusic(side.samples, a, b);
        const double after = hissBelowMusic(image, from, to);
        EXPECT_GT(after, before + 6.0) << "hiss " << before << " dB below the music, now " << after;
        int32_t peak = 0;
        for (size_t i = 2 * static_cast<size_t>(from); i < 2 * static_cast<size_t>(to); ++i) {
            peak = std::max(peak, std::abs(int32_t{image[i]}));
        }
        EXPECT_GE(peak, 32000);
    }
}

} // namespace
