#pragma once

#include <string>

// A file type record: a four-character type code (".WAV"), an extension ("wav"), an
// alternative name ("wave") and a description ("Wave File").
struct FFileType {
    std::string typeCode;
    std::string extension;
    std::string altName;
    std::string description;

    // The type a path names by its extension: the type code stays empty, extension and
    // name are the path's extension, lower-cased (users' files often end in ".WAV").
    static FFileType fromPath(const std::string& path);

    // Two types match when both type codes are non-empty and equal, or otherwise when
    // their extensions or alternative names match (letter case ignored).
    bool matches(const FFileType& other) const;
};
