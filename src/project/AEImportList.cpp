#include "AEImportList.h"

#include <algorithm>

bool AEImportList::add(std::string path) {
    if (used_ >= kEntries || path.empty()) {
        return false;
    }
    entries_[static_cast<size_t>(used_++)] = std::move(path);
    return true;
}

void AEImportList::clear() {
    for (auto& entry : entries_) {
        entry.clear();
    }
    used_ = 0;
}

int32_t AEImportList::pending() const {
    return static_cast<int32_t>(
        std::count_if(entries_.begin(), entries_.end(), [](const auto& e) { return !e.empty(); }));
}
