#pragma once

#include "FFileType.h"

#include <cstdint>
#include <string>

// Kinds of audio file, by their index in the file type table.
enum AudioFileKind : int32_t {
    kAudioKindUnknown = -1,
    kAudioKindAIFF = 0,
    kAudioKindAIFC = 1,
    kAudioKindWAVE = 2,
};

// The file type table of the audio files. Only AIFF, AIFC and WAVE have handlers; Sound
// Designer II and project files are known types that never become audio files.
namespace AudioFileTypes {

// The record of kinds 0 to 2; null for every other kind.
const FFileType* forKind(int32_t kind);
const FFileType& soundDesigner();
const FFileType& projectFile();
// The kind a path names by its extension (letter case ignored), or kAudioKindUnknown.
int32_t identify(const std::string& path);
// "AIFF", "AIFC", "WAVE", or "" for an unknown kind.
const char* kindName(int32_t kind);

} // namespace AudioFileTypes
