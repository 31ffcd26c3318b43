#include "AETitleSplit.h"

#include "AEAudiofile.h"
#include "AERunSource.h"
#include "ProjectHost.h"
#include "SilenceLevelMeter.h"

#include <algorithm>
#include <memory>

namespace {

using AESilenceSplit::Range;
using AESilenceSplit::Song;

constexpr int32_t kStringTitle = 3007;
constexpr int32_t kStringCannotRead = 3273;
constexpr int32_t kStringNoGaps = 3268;
constexpr int32_t kStringTooMany = 3270;
constexpr int32_t kStringProcessed = 3272;
// Frames read at a time.
constexpr int32_t kReadFrames = SilenceLevelMeter::kHopFrames * 100;

// The hop energies of the frames of `range`, read from the recording.
AETitleSplit::Result measure(AEAudiofile& source, Range range, std::vector<float>& energies) {
    energies.clear();
    energies.reserve(static_cast<size_t>(range.length() / SilenceLevelMeter::kHopFrames + 1));
    if (!source.seek(range.start)) {
        return AETitleSplit::kCannotRead;
    }
    ProjectHost::Progress progress((range.length() + kReadFrames - 1) / kReadFrames);
    std::vector<int16_t> block(static_cast<size_t>(kReadFrames) * 2);
    SilenceLevelMeter meter;
    for (int32_t left = range.length(); left > 0;) {
        if (ProjectHost::cancelRequested()) {
            return AETitleSplit::kCancelled;
        }
        const int32_t want = std::min(left, kReadFrames);
        if (source.readStereo(block.data(), want) != want) {
            return AETitleSplit::kCannotRead;
        }
        meter.feed(block.data(), want, energies);
        left -= want;
        progress.advance();
    }
    meter.finish(energies);
    return AETitleSplit::kDone;
}

} // namespace

namespace AETitleSplit {

Result propose(const AEProject& project, int32_t index, const AESilenceSplit::Settings& settings,
               Proposal& proposal) {
    const AETitle* title = project.title(index);
    if (!title) {
        return kNoSuchTitle;
    }
    if (title->stateCode() != AETitleProcessState::kNotProcessed) {
        return kProcessed;
    }
    AEAudiofile source(title->currentAudioPath());
    if (openRunSource(source) != AERunResult::kDone) {
        return kCannotRead;
    }
    const int32_t frames = std::max(source.getLength(), 0);
    const int32_t start = std::clamp(title->fadePoint(0), 0, frames);
    const Range range{start, std::clamp(title->fadePoint(3), start, frames)};
    std::vector<float> energies;
    if (const Result result = measure(source, range, energies); result != kDone) {
        return result;
    }
    auto songs = AESilenceSplit::findSongs(energies, range, settings);
    if (songs.size() < 2) {
        return kNoGaps;
    }
    if (project.titleCount() - 1 + static_cast<int64_t>(songs.size()) > AEProject::kMaxTitles) {
        return kTooManyTitles;
    }
    const std::array<int32_t, 4> titleFades{title->fadePoint(0), title->fadePoint(1),
                                            title->fadePoint(2), title->fadePoint(3)};
    proposal.index = index;
    proposal.fades = songFades(songs, range, titleFades);
    proposal.songs = std::move(songs);
    return kDone;
}

std::vector<std::array<int32_t, 4>> songFades(const std::vector<Song>& songs, Range range,
                                              const std::array<int32_t, 4>& titleFades) {
    std::vector<std::array<int32_t, 4>> fades;
    for (const Song& song : songs) {
        std::array<int32_t, 4> f{};
        // Where a song's title meets the range's ends, the title's own fades stay; at a
        // cut, a short fade within the gap, never into the music.
        f[0] = song.title.start;
        f[1] = song.title.start == range.start
                   ? std::clamp(titleFades[1], range.start, song.title.end)
                   : std::min(song.title.start + kCutFadeFrames, song.music.start);
        f[3] = song.title.end;
        f[2] = song.title.end == range.end
                   ? std::clamp(titleFades[2], f[1], range.end)
                   : std::max(song.title.end - kCutFadeFrames, song.music.end);
        fades.push_back(f);
    }
    return fades;
}

Result accept(AEProject& project, const Proposal& proposal) {
    const AETitle* original = project.title(proposal.index);
    if (!original) {
        return kNoSuchTitle;
    }
    if (proposal.fades.size() < 2) {
        return kNoGaps;
    }
    if (project.titleCount() - 1 + static_cast<int64_t>(proposal.fades.size()) >
        AEProject::kMaxTitles) {
        return kTooManyTitles;
    }
    std::vector<std::unique_ptr<AETitle>> titles;
    for (size_t s = 0; s < proposal.fades.size(); ++s) {
        auto made = std::make_unique<AETitle>(*original);
        const int32_t number = proposal.index + static_cast<int32_t>(s) + 1;
        made->setDisplayName(ProjectHost::text(kStringTitle) + " " + std::to_string(number));
        for (int k = 0; k < AETitle::kFadePoints; ++k) {
            made->setFadePoint(k, proposal.fades[s][static_cast<size_t>(k)]);
        }
        // Markers belong to places in the whole side, not in one song.
        for (int k = 0; k < AETitle::kMarkers; ++k) {
            made->setMarker(k, -1);
        }
        titles.push_back(std::move(made));
    }
    return project.replaceTitle(proposal.index, std::move(titles)) ? kDone : kTooManyTitles;
}

int32_t messageId(Result result) {
    switch (result) {
    case kDone:
    case kCancelled:
        return 0;
    case kNoSuchTitle:
    case kCannotRead:
        return kStringCannotRead;
    case kProcessed:
        return kStringProcessed;
    case kNoGaps:
        return kStringNoGaps;
    case kTooManyTitles:
        return kStringTooMany;
    }
    return 0;
}

} // namespace AETitleSplit
