#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <string>

// The files waiting to be added to the project as titles (full paths, in order), filled
// by the WAVE import, the file drop on the title list and the CD import, and emptied by
// the add-to-project routine; with the main window's two flags of that hand-over. One
// thread fills it, and only then another empties it.
class AEImportList {
public:
    static constexpr int32_t kEntries = 100;

    // Appends `path`; false when the list is full.
    bool add(std::string path);
    void clear();
    // Entries in order; an emptied entry is "".
    const std::string& entry(int32_t index) const { return entries_[static_cast<size_t>(index)]; }
    void clearEntry(int32_t index) { entries_[static_cast<size_t>(index)].clear(); }
    // Entries not yet emptied.
    int32_t pending() const;

    // Set while the add-to-project routine runs.
    std::atomic<bool> adding{false};
    // Set when the routine has ended (the CD import waits for it).
    std::atomic<bool> importPending{false};

private:
    std::array<std::string, kEntries> entries_;
    int32_t used_ = 0;
};
