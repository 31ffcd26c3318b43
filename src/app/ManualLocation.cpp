#include "ManualLocation.h"

#include "StringTable.h"

#include <filesystem>
#include <system_error>

std::vector<std::string> ManualLocation::folders(const std::string& programDirectory) {
    std::vector<std::string> found;
    const auto add = [&found](const std::filesystem::path& folder) {
        const std::string text = folder.lexically_normal().string();
        for (const std::string& known : found) {
            if (known == text) {
                return;
            }
        }
        found.push_back(text);
    };
    if (!programDirectory.empty()) {
        add(std::filesystem::path(programDirectory) / ".." / GLEAM_MANUAL_RELATIVE_DIR);
    }
    add(GLEAM_MANUAL_INSTALL_DIR);
    add(GLEAM_MANUAL_SOURCE_DIR);
    return found;
}

std::string ManualLocation::fileName(int32_t languageOffset) {
    switch (languageOffset) {
    case StringTable::kGerman:
        return "de.html";
    case StringTable::kFrench:
        return "fr.html";
    case StringTable::kJapanese:
        return "ja.html";
    default:
        return "en.html";
    }
}

std::string ManualLocation::find(const std::vector<std::string>& folders, int32_t languageOffset) {
    for (const std::string& folder : folders) {
        for (const std::string& name :
             {fileName(languageOffset), fileName(StringTable::kEnglish)}) {
            const std::filesystem::path path = std::filesystem::path(folder) / name;
            std::error_code error;
            if (std::filesystem::is_regular_file(path, error)) {
                return path.string();
            }
        }
    }
    return {};
}
