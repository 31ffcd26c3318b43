#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

struct ARect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

// Named values under one settings key of the current user. Every read takes a default and
// reports through its result whether the stored value was used; writes are silent. No
// handle is held between calls: each call opens the store, acts and closes it, so what
// one store writes every other sees at once.
//
// The key "SOFTWARE\Vortanix\Gleam" lives in $XDG_CONFIG_HOME/Vortanix/Gleam.conf. Texts
// are stored as texts and integers (and flags, 1 or 0) as numbers; a value of the wrong
// kind, a missing value or an unreadable file gives the default.
class RegistryStore {
public:
    static constexpr const char* kSettingsKey = "SOFTWARE\\Vortanix\\Gleam";

    explicit RegistryStore(std::string keyPath = kSettingsKey);

    // Reads at most `capacity` bytes into `buffer` (which holds capacity + 1) and always
    // terminates it; a longer text is cut (never inside a UTF-8 character).
    bool readText(const char* name, char* buffer, const char* defaultText, size_t capacity) const;
    bool readText(const char* name, std::string& text, const char* defaultText,
                  size_t capacity = 1023) const;
    bool readInt(const char* name, int32_t& value, int32_t defaultValue) const;
    bool readFlag(const char* name, bool& value, bool defaultValue) const;
    bool readRect(const char* name, ARect& rect, const ARect& defaultRect) const;

    // A length of −1 writes the whole text.
    void writeText(const char* name, const char* text, int32_t length = -1) const;
    void writeInt(const char* name, int32_t value) const;
    void writeFlag(const char* name, bool value) const;
    void writeRect(const char* name, const ARect& rect) const;

    const std::string& keyPath() const { return keyPath_; }
    // The file that holds the key (for the user to find it, as the Help menu tells).
    std::string filePath() const;

private:
    std::string keyPath_;
    std::string organization_;
    std::string application_;
};
