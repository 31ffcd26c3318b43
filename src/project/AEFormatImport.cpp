#include "AEFormatImport.h"

#include "AETitleCopy.h"
#include "ProjectHost.h"

#include "SoundFileReader.h"
#include "TitleFormatReader.h"
#include "WaveFileHandler.h"

namespace {

constexpr int32_t kStringDialogFilter = 3140;
constexpr int32_t kStringDialogTitle = 3141;

} // namespace

namespace AEFormatImport {

std::string dialogTitle() {
    return ProjectHost::text(kStringDialogTitle);
}

std::string dialogFilter() {
    return ProjectHost::text(kStringDialogFilter);
}

const std::vector<std::string>& extensions() {
    static const std::vector<std::string> kExtensions = {"wav", "flac", "ogg",
                                                         "oga", "opus", "mp3"};
    return kExtensions;
}

bool needsConversion(const std::string& path) {
    WavePcmFormat format;
    WaveFileHandler::probeWaveFormat(path, format);
    return !WaveFileHandler::isCdStereoFormat(format) && !WaveFileHandler::isCdMonoFormat(format);
}

int64_t convertedFrames(const std::string& path) {
    TitleFormatReader reader;
    return reader.open(path) ? reader.frames() : -1;
}

bool opusReadable() {
    static const bool readable = SoundFileReader::opusSupported();
    return readable;
}

bool convertToTitleFormat(std::string& path, std::string directory, const AEProject* project) {
    TitleFormatReader reader;
    if (!reader.open(path)) {
        return false;
    }
    std::string target = AETitleCopy::targetPath(path, std::move(directory));
    const auto read = [&reader](int16_t* samples, int32_t frames) {
        return reader.read(samples, frames);
    };
    if (!AETitleCopy::write(read, static_cast<int32_t>(reader.frames()), target, project)) {
        return false;
    }
    path = target;
    return true;
}

} // namespace AEFormatImport
