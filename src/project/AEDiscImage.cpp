#include "AEDiscImage.h"

#include "AETimeText.h"
#include "AETitleRangeReader.h"
#include "ProjectHost.h"

#include "FFileSystem.h"
#include "FNPath.h"
#include "FPendingFile.h"

#include <algorithm>
#include <cstdio>
#include <memory>

namespace {

constexpr int32_t kSectorFrames = 588;
constexpr int32_t kSectorsPerSecond = 75;
constexpr int32_t kFirstPregapSectors = 2 * kSectorsPerSecond;
// Frames read and written at a time (a whole number of sectors).
constexpr int32_t kBlockFrames = kSectorFrames * 64;

constexpr int32_t kStringNoTitles = 3262;
constexpr int32_t kStringTooLong = 3263;
constexpr int32_t kStringCannotRead = 3264;
constexpr int32_t kStringCannotWrite = 3265;

std::string msf(int64_t sector) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", static_cast<int>(sector / 4500),
                  static_cast<int>(sector / 75 % 60), static_cast<int>(sector % 75));
    return text;
}

// A CUE text field has no escape for its quote character.
std::string cueText(const std::string& text) {
    std::string out = text;
    std::replace(out.begin(), out.end(), '"', '\'');
    std::replace(out.begin(), out.end(), '\n', ' ');
    std::replace(out.begin(), out.end(), '\r', ' ');
    return out;
}

// Writes interleaved samples as little-endian bytes, whatever the host's byte order.
bool writeSamples(FFileStream& stream, const int16_t* samples, int32_t frames,
                  std::vector<uint8_t>& bytes) {
    const size_t count = static_cast<size_t>(frames) * 2;
    for (size_t i = 0; i < count; ++i) {
        const auto value = static_cast<uint16_t>(samples[i]);
        bytes[2 * i] = static_cast<uint8_t>(value & 0xFF);
        bytes[2 * i + 1] = static_cast<uint8_t>(value >> 8);
    }
    const auto size = static_cast<int64_t>(count * 2);
    return stream.write(bytes.data(), size) == size;
}

bool writeSilence(FFileStream& stream, int64_t frames, std::vector<int16_t>& block,
                  std::vector<uint8_t>& bytes) {
    std::fill(block.begin(), block.end(), int16_t{0});
    for (int64_t left = frames; left > 0;) {
        const auto now = static_cast<int32_t>(std::min<int64_t>(left, kBlockFrames));
        if (!writeSamples(stream, block.data(), now, bytes)) {
            return false;
        }
        left -= now;
    }
    return true;
}

// Blocks of progress one track takes.
int64_t trackSteps(const AEDiscImage::TrackPlan& plan) {
    return (plan.frames + kBlockFrames - 1) / kBlockFrames;
}

// Copies one title's playing range; the padding and pause are the caller's.
AEDiscImage::Result writeTrack(FFileStream& stream, const AEDiscImage::TrackPlan& plan,
                               std::vector<int16_t>& block, std::vector<uint8_t>& bytes,
                               const ProjectHost::Progress& progress) {
    AETitleRangeReader reader(plan);
    if (!reader.open()) {
        return AEDiscImage::kCannotRead;
    }
    while (reader.left() > 0) {
        if (ProjectHost::cancelRequested()) {
            return AEDiscImage::kCancelled;
        }
        const int32_t got = reader.read(block.data(), kBlockFrames);
        if (got <= 0) {
            return AEDiscImage::kCannotRead;
        }
        if (!writeSamples(stream, block.data(), got, bytes)) {
            return AEDiscImage::kCannotWrite;
        }
        progress.advance();
    }
    return AEDiscImage::kWritten;
}

AEDiscImage::Result writeBin(FFileStream& stream, const std::vector<AEDiscImage::TrackPlan>& plans,
                             const ProjectHost::Progress& progress) {
    std::vector<int16_t> block(static_cast<size_t>(kBlockFrames) * 2);
    std::vector<uint8_t> bytes(block.size() * 2);
    for (size_t t = 0; t < plans.size(); ++t) {
        const AEDiscImage::TrackPlan& plan = plans[t];
        if (t > 0 && !writeSilence(stream, plan.pauseFrames, block, bytes)) {
            return AEDiscImage::kCannotWrite;
        }
        if (const auto result = writeTrack(stream, plan, block, bytes, progress);
            result != AEDiscImage::kWritten) {
            return result;
        }
        const int64_t padding =
            int64_t{AEDiscImage::paddedSectors(plan.frames)} * kSectorFrames - plan.frames;
        if (!writeSilence(stream, padding, block, bytes)) {
            return AEDiscImage::kCannotWrite;
        }
    }
    return stream.flush() ? AEDiscImage::kWritten : AEDiscImage::kCannotWrite;
}

bool writeText(const std::string& path, const std::string& text) {
    auto stream = FFileSystem::create(path);
    if (!stream) {
        return false;
    }
    const auto size = static_cast<int64_t>(text.size());
    return stream->write(text.data(), size) == size && stream->flush();
}

} // namespace

namespace AEDiscImage {

bool planTracks(const AEProject& project, std::vector<TrackPlan>& plans) {
    plans.clear();
    for (int32_t i = 0; i < project.titleCount(); ++i) {
        const AETitle& title = *project.title(i);
        TrackPlan plan;
        if (!AETitleRange::of(title, plan)) {
            return false;
        }
        plan.title = title.displayName();
        plan.performer = title.artist();
        plan.pauseFrames = title.pauseValue() * static_cast<int32_t>(AETimeText::kFramesPerSecond);
        plans.push_back(std::move(plan));
    }
    return true;
}

int32_t paddedSectors(int64_t frames) {
    return static_cast<int32_t>((frames + kSectorFrames - 1) / kSectorFrames);
}

int64_t discSectors(const std::vector<TrackPlan>& plans) {
    int64_t sectors = plans.empty() ? 0 : kFirstPregapSectors;
    for (size_t t = 0; t < plans.size(); ++t) {
        sectors += paddedSectors(plans[t].frames);
        if (t > 0) {
            sectors += plans[t].pauseFrames / kSectorFrames;
        }
    }
    return sectors;
}

std::string cueSheet(const std::vector<TrackPlan>& plans, const std::string& binName) {
    std::string sheet = "FILE \"" + cueText(binName) + "\" BINARY\n";
    int64_t sector = 0;
    for (size_t t = 0; t < plans.size(); ++t) {
        const TrackPlan& plan = plans[t];
        const std::string number = std::to_string(t + 1);
        sheet += "  TRACK " + std::string(number.size() < 2 ? "0" : "") + number + " AUDIO\n";
        sheet += "    TITLE \"" + cueText(plan.title) + "\"\n";
        sheet += "    PERFORMER \"" + cueText(plan.performer) + "\"\n";
        if (t > 0 && plan.pauseFrames > 0) {
            sheet += "    INDEX 00 " + msf(sector) + "\n";
            sector += plan.pauseFrames / kSectorFrames;
        }
        sheet += "    INDEX 01 " + msf(sector) + "\n";
        sector += paddedSectors(plan.frames);
    }
    return sheet;
}

Result prepare(const AEProject& project, int32_t capacitySeconds, std::vector<TrackPlan>& plans) {
    if (project.titleCount() == 0) {
        return kNoTitles;
    }
    std::string total;
    if (!project.totalTime(total, capacitySeconds)) {
        return kTooLong;
    }
    if (!planTracks(project, plans)) {
        return kCannotRead;
    }
    if (discSectors(plans) > int64_t{capacitySeconds} * kSectorsPerSecond) {
        return kTooLong;
    }
    return kWritten;
}

Result exportImage(const AEProject& project, const std::string& cuePath, int32_t capacitySeconds) {
    std::vector<TrackPlan> plans;
    const Result prepared = prepare(project, capacitySeconds, plans);
    return prepared == kWritten ? writeImage(plans, cuePath) : prepared;
}

Result writeImage(const std::vector<TrackPlan>& plans, const std::string& cuePath) {
    const std::string binPath = FNPath(cuePath).withExtension("bin");
    FPendingFile bin(binPath);
    FPendingFile cue(cuePath);
    Result result = kWritten;
    {
        auto stream = FFileSystem::create(bin.pendingPath());
        if (!stream) {
            return kCannotWrite;
        }
        int64_t steps = 0;
        for (const TrackPlan& plan : plans) {
            steps += trackSteps(plan);
        }
        ProjectHost::Progress progress(steps);
        result = writeBin(*stream, plans, progress);
    }
    if (result != kWritten) {
        return result;
    }
    if (!writeText(cue.pendingPath(), cueSheet(plans, FNPath(binPath).fileName()))) {
        return kCannotWrite;
    }
    // The sheet goes last: a CUE file only ever names a complete BIN.
    if (!bin.commit() || !cue.commit()) {
        return kCannotWrite;
    }
    return kWritten;
}

int32_t messageId(Result result) {
    switch (result) {
    case kWritten:
        return 0;
    case kNoTitles:
        return kStringNoTitles;
    case kTooLong:
        return kStringTooLong;
    case kCannotRead:
        return kStringCannotRead;
    case kCannotWrite:
    case kCancelled:
        break;
    }
    return kStringCannotWrite;
}

} // namespace AEDiscImage
