#include "AudioFileTypes.h"

namespace {

const FFileType kAudioTypes[] = {
    {"AIFF", "aif", "aiff", "AIFF File"},
    {"AIFC", "aifc", "aifc", "AIFC File"},
    {".WAV", "wav", "wave", "Wave File"},
};
const FFileType kSoundDesigner{"Sd2f", "sd2", "sd2", "SoundDesigner II File"};
const FFileType kProjectFile{".dat", "dat", "dat", "Project File"};

} // namespace

namespace AudioFileTypes {

const FFileType* forKind(int32_t kind) {
    if (kind < kAudioKindAIFF || kind > kAudioKindWAVE) {
        return nullptr;
    }
    return &kAudioTypes[kind];
}

const FFileType& soundDesigner() {
    return kSoundDesigner;
}

const FFileType& projectFile() {
    return kProjectFile;
}

int32_t identify(const std::string& path) {
    FFileType type = FFileType::fromPath(path);
    // AIFF before AIFC before WAVE: the first match wins.
    for (int32_t kind = kAudioKindAIFF; kind <= kAudioKindWAVE; ++kind) {
        if (type.matches(kAudioTypes[kind])) {
            return kind;
        }
    }
    return kAudioKindUnknown;
}

const char* kindName(int32_t kind) {
    switch (kind) {
    case kAudioKindAIFF:
        return "AIFF";
    case kAudioKindAIFC:
        return "AIFC";
    case kAudioKindWAVE:
        return "WAVE";
    default:
        return "";
    }
}

} // namespace AudioFileTypes
