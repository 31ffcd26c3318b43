#pragma once

#include "FFileType.h"

#include <cstddef>
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
// The first bytes of a file that name its kind.
constexpr size_t kMagicBytes = 12;
// The kind that the first bytes of a file name: "RIFF" .... "WAVE", "FORM" .... "AIFF" or
// "AIFC"; kAudioKindUnknown for anything else or fewer bytes.
int32_t identifyContent(const uint8_t* head, size_t size);
// The kind of the regular file at `path` by its content; kAudioKindUnknown when there is
// none, it is no regular file or its first bytes name no kind.
int32_t identifyFile(const std::string& path);
// The kind a path names by its extension (letter case ignored), or kAudioKindUnknown.
int32_t identifyName(const std::string& path);
// The kind of an existing file is its content's, whatever its name; a file whose content
// names no kind (a path still to be created, a damaged file) has the kind of its extension.
int32_t identify(const std::string& path);
// "AIFF", "AIFC", "WAVE", or "" for an unknown kind.
const char* kindName(int32_t kind);

} // namespace AudioFileTypes
