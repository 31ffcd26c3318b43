#include "AudioFileTypes.h"

#include "FFileSystem.h"

#include <cstring>

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

int32_t identifyContent(const uint8_t* head, size_t size) {
    if (size < kMagicBytes) {
        return kAudioKindUnknown;
    }
    auto at = [head](size_t offset, const char* id) {
        return std::memcmp(head + offset, id, 4) == 0;
    };
    if (at(0, "RIFF") && at(8, "WAVE")) {
        return kAudioKindWAVE;
    }
    if (at(0, "FORM")) {
        return at(8, "AIFF") ? kAudioKindAIFF : at(8, "AIFC") ? kAudioKindAIFC : kAudioKindUnknown;
    }
    return kAudioKindUnknown;
}

int32_t identifyFile(const std::string& path) {
    auto stream = FFileSystem::open(path, FAccessMode::kRead);
    if (!stream) {
        return kAudioKindUnknown;
    }
    uint8_t head[kMagicBytes];
    const int64_t got = stream->read(head, sizeof head);
    return identifyContent(head, got > 0 ? static_cast<size_t>(got) : 0);
}

int32_t identify(const std::string& path) {
    const int32_t byContent = identifyFile(path);
    return byContent != kAudioKindUnknown ? byContent : identifyName(path);
}

int32_t identifyName(const std::string& path) {
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
