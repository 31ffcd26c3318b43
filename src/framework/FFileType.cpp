#include "FFileType.h"

#include "FNPath.h"

#include <algorithm>
#include <cctype>

namespace {

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

} // namespace

FFileType FFileType::fromPath(const std::string& path) {
    std::string extension = lower(FNPath(path).extension());
    return FFileType{"", extension, extension, ""};
}

bool FFileType::matches(const FFileType& other) const {
    if (!typeCode.empty() && !other.typeCode.empty()) {
        return typeCode == other.typeCode;
    }
    auto nameMatches = [](const std::string& a, const std::string& b) {
        return !a.empty() && lower(a) == lower(b);
    };
    return nameMatches(extension, other.extension) || nameMatches(altName, other.altName) ||
           nameMatches(extension, other.altName) || nameMatches(altName, other.extension);
}
