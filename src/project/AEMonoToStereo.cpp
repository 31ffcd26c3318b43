#include "AEMonoToStereo.h"

#include "AEAudiofile.h"
#include "AETitleCopy.h"

bool convertMonoToStereo(std::string& path, std::string directory, const AEProject* project) {
    AEAudiofile source(path);
    if (!source.openForRead()) {
        return false;
    }
    std::string target = AETitleCopy::targetPath(path, std::move(directory));
    // A mono file reads as stereo with its samples on both channels.
    const auto read = [&source](int16_t* samples, int32_t frames) {
        return source.readStereo(samples, frames);
    };
    if (!AETitleCopy::write(read, source.getLength(), target, project)) {
        return false;
    }
    path = target;
    return true;
}
