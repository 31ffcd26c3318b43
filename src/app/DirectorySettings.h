#pragma once

#include "RegistryStore.h"

#include <array>
#include <string>

// The seven remembered directories, read at start and created in the store when missing.
// The default directory is the user's home directory with a trailing "/".
class DirectorySettings {
public:
    static constexpr int kCount = 7;
    // Value names, in their order.
    static constexpr std::array<const char*, kCount> kNames = {
        "lastDirectory", "exportAudioDir", "exportTracklistDir", "projectDir",
        "importWavDir",  "mp3ImportDir",   "mp3ExportDir"};
    static constexpr size_t kCapacity = 1023;

    DirectorySettings();

    // Reads the seven values (default: the home directory).
    void loadDirectories();
    // Writes the default under every name whose read fails; always true.
    bool ensureDirectories();

    const std::string& directory(int index) const { return directories_[index]; }
    const RegistryStore& store() const { return store_; }

    bool japaneseLayout() const { return japaneseLayout_; }
    void setJapaneseLayout(bool on) { japaneseLayout_ = on; }

    static std::string defaultDirectory();

private:
    std::array<std::string, kCount> directories_;
    RegistryStore store_;
    bool japaneseLayout_ = false;
};
