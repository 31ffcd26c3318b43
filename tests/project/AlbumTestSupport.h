#pragma once

// The project of the album and loudness tests: three titles of music under a worn record's
// hiss, clicks and rumble at different levels: the first plays its whole file, the second
// (named `AC/DC: "Live?"`) a trimmed and faded part of it, the third a processed file.
// The frames each title plays, as playback reads them, are what an export must hold.

#include "AETitleRangeReader.h"
#include "RunTestSupport.h"
#include "WornRecord.h"

#include <string>
#include <vector>

namespace AlbumTest {

struct Album {
    std::string projectPath;
    std::vector<std::vector<int16_t>> played; // per title, interleaved stereo
};

inline std::vector<int16_t> wornRecord(double seconds, double peak, uint32_t seed) {
    WornRecordOptions options;
    options.frames = static_cast<int32_t>(seconds * 44100.0);
    options.musicPeak = peak;
    options.hissRms = 0.004;
    options.rumbleRms = 0.002;
    options.seed = seed;
    std::vector<int16_t> samples;
    makeWornRecord(options, samples);
    return samples;
}

inline std::vector<int16_t> playedFrames(const AETitle& title) {
    AETitleRange range;
    if (!AETitleRange::of(title, range)) {
        return {};
    }
    AETitleRangeReader reader(range);
    std::vector<int16_t> frames(2 * static_cast<size_t>(range.frames));
    if (!reader.open() || reader.read(frames.data(), range.frames) != range.frames) {
        return {};
    }
    return frames;
}

// Saves the project in `directory` as album.dat.
inline Album makeAlbum(const std::string& directory) {
    AEProject project;
    project.setBaseDirectory(directory + "/");
    project.setProjectTitle("Live at the Grange (1974)");
    const struct {
        const char* file;
        const char* name;
        double peak;
    } rows[] = {{"side-a", "Side A: Intro", 0.9},
                {"side-b", "AC/DC: \"Live?\"", 0.25},
                {"side-c", "Ünterwegs", 0.05}};
    uint32_t seed = 11;
    for (const auto& row : rows) {
        AETitle& title =
            RunTest::importTitle(project, directory, row.file, wornRecord(9.0, row.peak, seed++));
        title.setDisplayName(row.name);
        title.setArtist("The Grange Band");
    }
    const int32_t fades[4] = {22050, 66150, 330750, 374850};
    for (int k = 0; k < 4; ++k) {
        project.title(1)->setFadePoint(k, fades[k]);
    }
    AETitle& processed = *project.title(2);
    const std::string processedPath = directory + "/side-c.p.wav";
    ProjectTest::writeWaveSamples(processedPath, wornRecord(8.0, 0.05, 99));
    processed.setProcessedPath(processedPath);
    processed.setStateCode(AETitleProcessState::kProcessed);
    processed.setLength(8 * 44100);
    Album album{directory + "/album.dat", {}};
    for (int32_t i = 0; i < project.titleCount(); ++i) {
        album.played.push_back(playedFrames(*project.title(i)));
    }
    project.save(album.projectPath);
    return album;
}

} // namespace AlbumTest
