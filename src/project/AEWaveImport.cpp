#include "AEWaveImport.h"

#include "AEFileManager.h"
#include "AEFormatImport.h"
#include "AEImportList.h"
#include "AETitle.h"
#include "ProjectHost.h"

#include "FFileSystem.h"
#include "FFileType.h"
#include "FNPath.h"
#include "WaveFileHandler.h"

#include <filesystem>

namespace {

constexpr int32_t kStringSomeRefused = 3142;
// The refused files named under the message, at most this many.
constexpr size_t kNamesShown = 10;

// A file that is not the program's own WAVE format: accepted when it decodes and is at
// least 7 seconds long once converted.
AEWaveImport::Refusal checkForeign(const std::string& path) {
    const int64_t frames = AEFormatImport::convertedFrames(path);
    if (frames < 0) {
        return FFileType::fromPath(path).extension == "opus" && !AEFormatImport::opusReadable()
                   ? AEWaveImport::kNoDecoder
                   : AEWaveImport::kNotAudio;
    }
    return frames < AEWaveImport::kMinimumFrames ? AEWaveImport::kTooShort
                                                 : AEWaveImport::kAccepted;
}

std::string refusedMessage(const std::vector<AEWaveImport::Refused>& refused) {
    std::string text = ProjectHost::text(kStringSomeRefused) + "\n";
    for (size_t i = 0; i < refused.size() && i < kNamesShown; ++i) {
        text += "\n" + FNPath(refused[i].path).fileName();
    }
    if (refused.size() > kNamesShown) {
        text += "\n...";
    }
    return text;
}

} // namespace

namespace AEWaveImport {

Refusal check(const std::string& path) {
    // Only plain files are opened: a pipe or a device could block or never end.
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        return kNotAFile;
    }
    WavePcmFormat format;
    WaveFileHandler::probeWaveFormat(path, format);
    const bool stereo = WaveFileHandler::isCdStereoFormat(format);
    if (!stereo && !WaveFileHandler::isCdMonoFormat(format)) {
        return checkForeign(path);
    }
    const int32_t frames = AEFileManager::framesOf(path);
    if (frames < 0) {
        return kUnreadable;
    }
    if (frames < kMinimumFrames) {
        return kTooShort;
    }
    // A stereo file becomes a title as it is, and a title plays its name up to ".wav"
    // followed by ".wav"; a mono file's stereo copy is always named so.
    if (stereo && (!AETitle::hasWavExtension(path) ||
                   !FFileSystem::exists(path.substr(0, path.size() - 4) + ".wav"))) {
        return kNotWavName;
    }
    return kAccepted;
}

const char* reason(Refusal refusal) {
    switch (refusal) {
    case kAccepted:
        return "accepted";
    case kNotAFile:
        return "not a file";
    case kNotAudio:
        return "not an audio file the program reads (WAVE, FLAC, Ogg Vorbis, Opus, MP3)";
    case kNoDecoder:
        return "Opus files cannot be read: the installed libsndfile has no Opus decoder";
    case kUnreadable:
        return "cannot be read";
    case kTooShort:
        return "shorter than 7 seconds";
    case kNotWavName:
        return "its name must end in .wav";
    case kListFull:
        return "too many files at once";
    }
    return "refused";
}

std::vector<Refused> fillImportList(const std::vector<std::string>& paths, AEImportList& list) {
    list.clear();
    std::vector<Refused> refused;
    for (const auto& path : paths) {
        Refusal refusal = check(path);
        if (refusal == kAccepted && !list.add(path)) {
            refusal = kListFull;
        }
        if (refusal != kAccepted) {
            refused.push_back({path, refusal});
        }
    }
    if (!refused.empty()) {
        ProjectHost::showText(refusedMessage(refused));
    }
    return refused;
}

} // namespace AEWaveImport
