#pragma once

#include <cstdint>
#include <string>

// What the CD import tells the dialog that shows it. Every call comes from the copy
// thread: a window implementation hands them to its own thread.
class AECDImportView {
public:
    static constexpr int32_t kProgressRange = 65535;

    virtual ~AECDImportView() = default;
    // The copy thread starts (false) or has ended (true): the drive list, "...", Import,
    // Update and Cancel follow it.
    virtual void setCopyControlsEnabled(bool enabled) = 0;
    // The progress bar's position (0 to kProgressRange) and the status text.
    virtual void showProgress(int32_t position, const std::string& status) = 0;
    // The copied files are about to be added to the project: the waveform view shows
    // its display again.
    virtual void addingToProject() {}
};
