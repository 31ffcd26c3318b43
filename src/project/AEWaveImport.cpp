#include "AEWaveImport.h"

#include "AEFileManager.h"
#include "AEImportList.h"
#include "AETitle.h"
#include "ProjectHost.h"

#include "FFileSystem.h"
#include "WaveFileHandler.h"

#include <filesystem>

namespace {

constexpr int32_t kStringSomeRefused = 3087;

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
        return format.formatTag == 0 && format.channels == 0 ? kNotWave : kWrongFormat;
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
    case kNotWave:
        return "not a WAVE file";
    case kWrongFormat:
        return "not 44.1 kHz 16-bit PCM stereo or mono";
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
        ProjectHost::showString(kStringSomeRefused);
    }
    return refused;
}

} // namespace AEWaveImport
