#include "AEAlbumExport.h"

#include "AEAlbumFiles.h"
#include "AEBusyGuard.h"
#include "AEProject.h"
#include "AERangeRender.h"
#include "ProjectHost.h"

#include "AppHost.h"
#include "AudioTagWriter.h"
#include "FPendingFile.h"
#include "LoudnessMeter.h"
#include "LoudnessTarget.h"
#include "SoundFileReader.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace AEAlbumExport {

namespace {

constexpr int32_t kTitleRate = 44100;
constexpr int32_t kOpusRate = 48000;
constexpr int64_t kMaxCoverBytes = 16 << 20;
// What a lossy file may hold beyond the range: at most one frame of its coder.
constexpr int64_t kOpusFrame = 960;
constexpr int64_t kMp3Frame = 1152;

// An encoded file written from a rendered range.
class EncodedSink : public AERenderSink {
public:
    explicit EncodedSink(std::unique_ptr<EncodedFileWriter> writer) : writer_(std::move(writer)) {}
    bool write(const int16_t* frames, int32_t count) override {
        return writer_->write(frames, count);
    }
    bool write(const float* frames, int32_t count) override {
        return writer_->write(frames, count);
    }
    bool finish() override { return writer_->close(); }

private:
    std::unique_ptr<EncodedFileWriter> writer_;
};

// One written title, not yet in place, and the measurement of what was written.
struct Written {
    std::unique_ptr<FPendingFile> file;
    LoudnessMeter meter;
};

Result resultOf(AERunResult result) {
    switch (result) {
    case AERunResult::kDone:
        return kWritten;
    case AERunResult::kCancelled:
        return kCancelled;
    case AERunResult::kCannotRead:
    case AERunResult::kWrongRate:
        return kCannotRead;
    default:
        return kCannotWrite;
    }
}

// Checks that the written file decodes to the range's length (exactly for a lossless file,
// within one coder frame for a lossy one, Opus at its own rate) and measures it as it
// decodes into `meter` when given. False when it does not decode whole.
bool measureDecoded(const std::string& path, EncodedFormat format, int64_t frames,
                    LoudnessMeter* meter) {
    const auto file = SoundFileReader::open(path);
    if (!file || file->info().channels != 2) {
        return false;
    }
    const int64_t decoded = file->info().frames;
    const bool whole = format == EncodedFormat::kOpus
                           ? std::llabs(decoded - frames * kOpusRate / kTitleRate) <= kOpusFrame
                       : format == EncodedFormat::kMp3 ? std::llabs(decoded - frames) <= kMp3Frame
                                                       : decoded == frames;
    if (!whole || !meter) {
        return whole;
    }
    *meter = LoudnessMeter(file->info().sampleRate);
    std::vector<float> block(static_cast<size_t>(AERangeRender::kStepFrames) * 2);
    int64_t got = 0;
    while ((got = file->readFloat(block.data(), AERangeRender::kStepFrames)) > 0) {
        meter->add(block.data(), static_cast<int32_t>(got));
    }
    return got == 0;
}

Result encodeTitle(const Plan& planned, const Title& title, std::optional<double> gainDb,
                   AERunProgress& progress, Written& out) {
    const EncodedFormat format = planned.options.format;
    out.file = std::make_unique<FPendingFile>(title.path, title.path + ".saving." +
                                                              EncodedFormats::name(format));
    const std::string& path = out.file->pendingPath();
    const AERangeRender::SinkMaker open = [&]() -> std::unique_ptr<AERenderSink> {
        auto writer = EncodedFileWriter::create(path, format, kTitleRate, 2);
        return writer ? std::make_unique<EncodedSink>(std::move(writer)) : nullptr;
    };
    // A lossy file is measured as it decodes; a lossless one decodes to what was measured.
    const AERangeRender::Remeasure remeasure = [&](LoudnessMeter& meter) {
        return measureDecoded(path, format, title.range.frames,
                              EncodedFormats::lossless(format) ? nullptr : &meter);
    };
    AERunResult result = AERunResult::kCannotWrite;
    if (gainDb) {
        const std::optional<double> target =
            planned.options.albumGain ? std::nullopt : planned.options.loudness;
        result = AERangeRender::renderToTarget(title.range, *gainDb, target, open, remeasure,
                                               out.meter, progress);
    } else if (const auto sink = open()) {
        result = AERangeRender::render(title.range, {}, *sink, out.meter, progress);
        if (result == AERunResult::kDone && !remeasure(out.meter)) {
            result = AERunResult::kCannotWrite;
        }
    }
    return resultOf(result);
}

// The gains that bring the titles to the loudness asked for; none without one.
Result loudnessGains(const Plan& planned, AERunProgress& progress,
                     std::vector<std::optional<double>>& gains) {
    gains.assign(planned.titles.size(), std::nullopt);
    if (!planned.options.loudness) {
        return kWritten;
    }
    std::vector<LoudnessMeter> meters(planned.titles.size());
    std::vector<const LoudnessMeter*> measured;
    std::vector<const AETitleRange*> ranges;
    for (size_t i = 0; i < planned.titles.size(); ++i) {
        const AERunResult result =
            AERangeRender::measure(planned.titles[i].range, meters[i], progress);
        if (result != AERunResult::kDone) {
            return resultOf(result);
        }
        measured.push_back(&meters[i]);
        ranges.push_back(&planned.titles[i].range);
    }
    const LoudnessTarget target{*planned.options.loudness, planned.options.albumGain};
    std::vector<double> found;
    if (const AERunResult result =
            AERangeRender::targetGains(target, ranges, measured, progress, found);
        result != AERunResult::kDone) {
        return resultOf(result);
    }
    for (size_t i = 0; i < found.size(); ++i) {
        // Digital silence stays as it is.
        gains[i] = meters[i].integrated() || planned.options.albumGain
                       ? std::optional<double>(found[i])
                       : std::nullopt;
    }
    return kWritten;
}

bool tagTitles(const Plan& planned, std::vector<Written>& written) {
    std::vector<const LoudnessMeter*> meters;
    double albumPeakDb = -INFINITY;
    for (const Written& w : written) {
        meters.push_back(&w.meter);
        albumPeakDb = std::max(albumPeakDb, w.meter.truePeakDb());
    }
    const ReplayGainValues album =
        ReplayGainValues::of(LoudnessMeter::integrated(meters), albumPeakDb);
    for (size_t i = 0; i < written.size(); ++i) {
        const Title& title = planned.titles[i];
        const ReplayGainValues track =
            ReplayGainValues::of(written[i].meter.integrated(), written[i].meter.truePeakDb());
        AudioTags tags;
        tags.title = title.name;
        tags.artist = title.artist;
        tags.album = planned.album;
        tags.track = static_cast<int32_t>(i + 1);
        tags.trackCount = static_cast<int32_t>(planned.titles.size());
        tags.trackGain = AudioTags::Gain{track.gainDb, track.peak};
        tags.albumGain = AudioTags::Gain{album.gainDb, album.peak};
        tags.picture = planned.cover;
        tags.pictureMime = planned.coverMime;
        if (!AudioTagWriter::write(written[i].file->pendingPath(), planned.options.format, tags)) {
            return false;
        }
    }
    return true;
}

bool writeText(FPendingFile& file, const std::string& text) {
    std::ofstream out(file.pendingPath(), std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    return static_cast<bool>(out);
}

// The playlist and the cue sheet, written beside their final names.
bool writeLists(const Plan& planned, std::vector<std::unique_ptr<FPendingFile>>& lists) {
    std::vector<AEAlbumFiles::Track> tracks;
    for (const Title& title : planned.titles) {
        tracks.push_back({std::filesystem::path(title.path).filename().string(), title.name,
                          title.artist, title.range.frames});
    }
    lists.push_back(std::make_unique<FPendingFile>(planned.playlistPath));
    lists.push_back(std::make_unique<FPendingFile>(planned.cuePath));
    return writeText(*lists[0], AEAlbumFiles::playlist(tracks)) &&
           writeText(*lists[1],
                     AEAlbumFiles::cueSheet(planned.album, tracks,
                                            planned.options.format == EncodedFormat::kMp3));
}

Result commitAll(const Plan& planned, std::vector<FPendingFile*> files) {
    for (FPendingFile* file : files) {
        const bool moved =
            planned.options.overwrite ? file->commit() : file->commitWithoutReplacing();
        if (!moved) {
            return std::filesystem::exists(file->finalPath()) ? kExists : kCannotWrite;
        }
    }
    return kWritten;
}

Result runPlanned(const Plan& planned) {
    std::error_code error;
    std::filesystem::create_directories(planned.options.directory, error);
    int64_t steps = 0;
    for (const Title& title : planned.titles) {
        steps += AERangeRender::steps(title.range);
    }
    AERunProgress progress(planned.options.loudness ? 2 * steps : steps, nullptr);
    std::vector<std::optional<double>> gains;
    if (const Result measured = loudnessGains(planned, progress, gains); measured != kWritten) {
        return measured;
    }
    std::vector<Written> written(planned.titles.size());
    for (size_t i = 0; i < planned.titles.size(); ++i) {
        const Result result =
            encodeTitle(planned, planned.titles[i], gains[i], progress, written[i]);
        if (result != kWritten) {
            return result;
        }
    }
    std::vector<std::unique_ptr<FPendingFile>> lists;
    if (!tagTitles(planned, written) || !writeLists(planned, lists)) {
        return kCannotWrite;
    }
    std::vector<FPendingFile*> files;
    for (Written& w : written) {
        files.push_back(w.file.get());
    }
    for (auto& list : lists) {
        files.push_back(list.get());
    }
    return commitAll(planned, files);
}

bool readCover(const std::string& path, std::string& bytes) {
    std::ifstream in(path, std::ios::binary);
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    if (!in || error || size == 0 || size > static_cast<uintmax_t>(kMaxCoverBytes)) {
        return false;
    }
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !bytes.empty();
}

} // namespace

std::vector<std::string> Plan::outputs() const {
    std::vector<std::string> paths;
    for (const Title& title : titles) {
        paths.push_back(title.path);
    }
    paths.push_back(playlistPath);
    paths.push_back(cuePath);
    return paths;
}

std::vector<std::string> Plan::existing() const {
    std::vector<std::string> found;
    for (const std::string& path : outputs()) {
        std::error_code error;
        if (std::filesystem::exists(std::filesystem::symlink_status(path, error))) {
            found.push_back(path);
        }
    }
    return found;
}

Result plan(const AEProject& project, const Options& options, Plan& planned) {
    planned = {};
    planned.options = options;
    std::vector<int32_t>& indices = planned.options.titles;
    if (indices.empty()) {
        for (int32_t i = 0; i < project.titleCount(); ++i) {
            indices.push_back(i);
        }
    }
    if (indices.empty()) {
        return kNoTitle;
    }
    if (!project.missingAudio(indices).empty()) {
        return kMissingAudio;
    }
    std::string directory = options.directory;
    while (directory.size() > 1 && directory.back() == '/') {
        directory.pop_back();
    }
    planned.album = project.projectTitle();
    const char* extension = EncodedFormats::name(options.format);
    for (size_t k = 0; k < indices.size(); ++k) {
        const AETitle* source = project.title(indices[k]);
        if (!source) {
            return kNoTitle;
        }
        Title title;
        if (!AETitleRange::of(*source, title.range)) {
            return kCannotRead;
        }
        title.name = source->displayName();
        title.artist = source->artist();
        title.path = directory + "/" +
                     AEAlbumFiles::fileName(static_cast<int32_t>(k + 1), title.name, extension);
        planned.titles.push_back(std::move(title));
    }
    planned.playlistPath = directory + "/" + AEAlbumFiles::kPlaylistName;
    planned.cuePath = directory + "/" + AEAlbumFiles::kCueName;
    for (const std::string& path : planned.outputs()) {
        if (project.refersTo(path)) {
            return kTitleFile;
        }
    }
    if (!options.coverPath.empty()) {
        if (!readCover(options.coverPath, planned.cover)) {
            return kBadCover;
        }
        planned.coverMime = AudioTagWriter::pictureMime(planned.cover);
        if (planned.coverMime.empty()) {
            return kBadCover;
        }
    }
    return kWritten;
}

Result run(const Plan& planned) {
    AEBusyGuard busy;
    ProjectHost::setCancelRequested(false);
    ProjectHost::post(AppHost::kTagBusyStart);
    // Files that came since the plan was made are not replaced unasked either.
    const Result result =
        !planned.options.overwrite && !planned.existing().empty() ? kExists : runPlanned(planned);
    if (const int32_t id = messageId(result); id != 0) {
        ProjectHost::showString(id);
    }
    busy.release();
    ProjectHost::post(AppHost::kTagBusyEnd);
    return result;
}

std::unique_ptr<AEBackgroundJob> runInBackground(const Plan& planned, int32_t doneTag) {
    return std::make_unique<AEBackgroundJob>(
        [planned] { return static_cast<int32_t>(run(planned)); }, doneTag);
}

bool parseTitles(const std::string& text, int32_t count, std::vector<int32_t>& indices) {
    indices.clear();
    for (size_t at = 0; at <= text.size();) {
        const size_t comma = std::min(text.find(',', at), text.size());
        const std::string item = text.substr(at, comma - at);
        char* end = nullptr;
        const long first = std::strtol(item.c_str(), &end, 10);
        long last = first;
        if (*end == '-') {
            last = std::strtol(end + 1, &end, 10);
        }
        if (item.empty() || *end != '\0' || first < 1 || last < first || last > count) {
            return false;
        }
        for (long n = first; n <= last; ++n) {
            const auto index = static_cast<int32_t>(n - 1);
            if (std::find(indices.begin(), indices.end(), index) != indices.end()) {
                return false;
            }
            indices.push_back(index);
        }
        at = comma + 1;
    }
    return true;
}

int32_t messageId(Result result) {
    switch (result) {
    case kWritten:
    case kCancelled:
        return 0;
    case kNoTitle:
        return 3341;
    case kMissingAudio:
        return 3342;
    case kTitleFile:
        return 3343;
    case kBadCover:
        return 3344;
    case kExists:
        return 3345;
    case kCannotRead:
        return 3346;
    case kCannotWrite:
        return 3347;
    }
    return 0;
}

} // namespace AEAlbumExport
