#include "AEWaveImport.h"

#include "AEFileManager.h"
#include "AEFormatImport.h"
#include "AEImportList.h"
#include "AETitle.h"
#include "ProjectHost.h"

#include "AudioFile.h"
#include "FFileSystem.h"
#include "FFileType.h"
#include "FNPath.h"
#include "WaveFileHandler.h"

#include <filesystem>

namespace {

constexpr int32_t kStringSomeRefused = 3142;
constexpr int32_t kStringTooShort = 3284;
constexpr int32_t kStringUnreadable = 3285;
constexpr int32_t kStringNotAudio = 3286;
constexpr int32_t kStringUnsupported = 3287;
constexpr int32_t kStringNotAFile = 3288;
constexpr int32_t kStringListFull = 3289;

// Why a file that does not open is refused.
AEWaveImport::Refusal refusalFor(AudioOpenResult result) {
    switch (result) {
    case AudioOpenResult::kMissing:
        return AEWaveImport::kMissing;
    case AudioOpenResult::kNotRegular:
        return AEWaveImport::kNotAFile;
    case AudioOpenResult::kNoPermission:
        return AEWaveImport::kNoPermission;
    case AudioOpenResult::kDamaged:
        return AEWaveImport::kDamaged;
    case AudioOpenResult::kTruncated:
        return AEWaveImport::kTruncated;
    case AudioOpenResult::kUnsupported:
        return AEWaveImport::kUnsupported;
    case AudioOpenResult::kUnreadable:
        return AEWaveImport::kUnreadable;
    case AudioOpenResult::kOk:
    case AudioOpenResult::kNotAudio:
        break;
    }
    return AEWaveImport::kNotAudio;
}

// A file that is not the program's own WAVE format: accepted when it decodes and is at
// least 7 seconds long once converted.
AEWaveImport::Refusal checkForeign(const std::string& path) {
    const int64_t frames = AEFormatImport::convertedFrames(path);
    if (frames < 0) {
        if (FFileType::fromPath(path).extension == "opus" && !AEFormatImport::opusReadable()) {
            return AEWaveImport::kNoDecoder;
        }
        // A WAVE or AIFF header says more than "not audio".
        return refusalFor(AudioFile::check(path).result);
    }
    return frames < AEWaveImport::kMinimumFrames ? AEWaveImport::kTooShort
                                                 : AEWaveImport::kAccepted;
}

std::string refusedMessage(const std::vector<AEWaveImport::Refused>& refused) {
    std::vector<std::string> named;
    for (const auto& file : refused) {
        named.push_back(FNPath(file.path).fileName() + ": " +
                        ProjectHost::text(AEWaveImport::reasonString(file.refusal)));
    }
    return ProjectHost::text(kStringSomeRefused) + "\n\n" + ProjectHost::lines(named);
}

} // namespace

namespace AEWaveImport {

Refusal check(const std::string& path) {
    // Only plain files are opened: a pipe or a device could block or never end.
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        return std::filesystem::exists(path, error) ? kNotAFile : kMissing;
    }
    WavePcmFormat format;
    WaveFileHandler::probeWaveFormat(path, format);
    const bool stereo = WaveFileHandler::isCdStereoFormat(format);
    if (!stereo && !WaveFileHandler::isCdMonoFormat(format)) {
        return checkForeign(path);
    }
    const int32_t frames = AEFileManager::framesOf(path);
    if (frames < 0) {
        const Refusal why = refusalFor(AudioFile::check(path).result);
        return why == kNotAudio ? kUnreadable : why;
    }
    if (frames < kMinimumFrames) {
        return kTooShort;
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
    case kUnsupported:
        return "in a coding the program cannot read (compressed WAVE or AIFC)";
    case kTooShort:
        return "shorter than 7 seconds";
    case kListFull:
        return "too many files at once";
    case kMissing:
        return describe(AudioOpenResult::kMissing);
    case kNoPermission:
        return describe(AudioOpenResult::kNoPermission);
    case kDamaged:
        return describe(AudioOpenResult::kDamaged);
    case kTruncated:
        return describe(AudioOpenResult::kTruncated);
    }
    return "refused";
}

int32_t reasonString(Refusal refusal) {
    switch (refusal) {
    case kTooShort:
        return kStringTooShort;
    case kUnreadable:
        return kStringUnreadable;
    case kNotAudio:
        return kStringNotAudio;
    case kNoDecoder:
    case kUnsupported:
        return kStringUnsupported;
    case kNotAFile:
        return kStringNotAFile;
    case kMissing:
        return ::reasonString(AudioOpenResult::kMissing);
    case kNoPermission:
        return ::reasonString(AudioOpenResult::kNoPermission);
    case kDamaged:
        return ::reasonString(AudioOpenResult::kDamaged);
    case kTruncated:
        return ::reasonString(AudioOpenResult::kTruncated);
    case kListFull:
    case kAccepted:
        break;
    }
    return kStringListFull;
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
