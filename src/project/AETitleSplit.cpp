#include "AETitleSplit.h"

#include "AEAudiofile.h"
#include "AEPeakData.h"
#include "AERunSource.h"
#include "AETimeText.h"
#include "ProjectHost.h"

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

using AESilenceSplit::Range;

constexpr int32_t kStringTitle = 3007;
constexpr int32_t kStringCannotRead = 3273;
constexpr int32_t kStringNoGaps = 3268;
constexpr int32_t kStringTooMany = 3270;
constexpr int32_t kStringProcessed = 3272;
// Frames read at a time: whole level windows.
constexpr int32_t kReadFrames = AESilenceSplit::kWindowFrames * 100;

int32_t framesOf(double seconds) {
    return static_cast<int32_t>(std::lround(seconds * AETimeText::kFramesPerSecond));
}

// Feeds the candidate stretches of the recording to the gap finder.
AETitleSplit::Result findGaps(AEAudiofile& source, const std::vector<Range>& stretches,
                              AESilenceSplit::GapFinder& finder) {
    int64_t total = 0;
    for (const Range& stretch : stretches) {
        total += (stretch.length() + kReadFrames - 1) / kReadFrames;
    }
    ProjectHost::Progress progress(total);
    std::vector<int16_t> block(static_cast<size_t>(kReadFrames) * 2);
    for (const Range& stretch : stretches) {
        if (!source.seek(stretch.start)) {
            return AETitleSplit::kCannotRead;
        }
        finder.begin(stretch.start);
        for (int32_t left = stretch.length(); left > 0;) {
            if (ProjectHost::cancelRequested()) {
                return AETitleSplit::kCancelled;
            }
            const int32_t want = std::min(left, kReadFrames);
            if (source.readStereo(block.data(), want) != want) {
                return AETitleSplit::kCannotRead;
            }
            finder.feed(block.data(), want);
            left -= want;
            progress.advance();
        }
        finder.end();
    }
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
    AEPeakData peaks(&source.audioFile());
    if (!peaks.build()) {
        return kCannotRead;
    }
    const int32_t frames = std::max(source.getLength(), 0);
    const int32_t start = std::clamp(title->fadePoint(0), 0, frames);
    const Range range{start, std::clamp(title->fadePoint(3), start, frames)};
    const int32_t peak = AESilenceSplit::sustainedPeak(peaks.data(), peaks.blockCount(), range);
    const int32_t threshold = AESilenceSplit::thresholdLevel(peak, settings.thresholdDb);
    const int32_t minSilence = std::max(framesOf(settings.minSilenceSeconds), 1);
    const auto stretches =
        AESilenceSplit::candidates(peaks.data(), peaks.blockCount(), range, threshold, minSilence);
    AESilenceSplit::GapFinder finder(threshold, minSilence);
    if (const Result result = findGaps(source, stretches, finder); result != kDone) {
        return result;
    }
    auto songs = AESilenceSplit::songsBetween(finder.gaps(), range,
                                              std::max(framesOf(settings.minTitleSeconds), 1));
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

std::vector<std::array<int32_t, 4>> songFades(const std::vector<Range>& songs, Range range,
                                              const std::array<int32_t, 4>& titleFades) {
    std::vector<std::array<int32_t, 4>> fades;
    int32_t previousEnd = range.start;
    for (size_t s = 0; s < songs.size(); ++s) {
        const Range& song = songs[s];
        const int32_t nextStart = s + 1 < songs.size() ? songs[s + 1].start : range.end;
        std::array<int32_t, 4> f{};
        // Where a song meets the title's own ends, the title's own fades stay.
        if (song.start == range.start) {
            f[0] = range.start;
            f[1] = std::clamp(titleFades[1], range.start, song.end);
        } else {
            f[0] = std::max(previousEnd, song.start - kCutFadeFrames);
            f[1] = song.start;
        }
        if (song.end == range.end) {
            f[3] = range.end;
            f[2] = std::clamp(titleFades[2], f[1], range.end);
        } else {
            f[2] = song.end;
            f[3] = std::min(song.end + kCutFadeFrames, (song.end + nextStart) / 2);
        }
        previousEnd = f[3];
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
