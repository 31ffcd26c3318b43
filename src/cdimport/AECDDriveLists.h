#pragma once

#include "CddaTypes.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CddaDrive;
class CddaDriveList;

// One track slot of the import run, index = track number − 1.
struct AECDTrackSlot {
    bool selected = false;
    int32_t length = 0; // in sectors of 1/75 second
    std::string name;   // "Title 3"
    int32_t type = kCddaAudioTrack;
};

// The drive list and the track list of the CD import, and the CD layer's drive list and
// drive object behind them. Rows of the track list are tracks in order: row r shows track
// r + 1. Used on one thread at a time (the dialog's, or the copy thread while the
// dialog's controls are off).
class AECDDriveLists {
public:
    static constexpr int32_t kSlots = 100;

    AECDDriveLists();
    ~AECDDriveLists();
    AECDDriveLists(const AECDDriveLists&) = delete;
    AECDDriveLists& operator=(const AECDDriveLists&) = delete;

    // Empties both lists and every slot, then lists the drives and, when the disc of drive
    // `reader` can be read, its tracks. The CD layer's objects are made when missing.
    void fill(int32_t reader);
    // Forgets the CD layer's objects and makes them anew for drive `reader` (a changed
    // disc or a new drive is seen), then fills the lists.
    void refresh(int32_t reader);
    // Makes the CD layer's objects for drive `reader` when missing (before a copy).
    void prepare(int32_t reader);

    // Drive list entries: "SCSI ID <id>: <vendor> <product>".
    const std::vector<std::string>& driveNames() const { return driveNames_; }
    int32_t driveCount() const { return static_cast<int32_t>(driveNames_.size()); }
    // The selected entry of the drive list (−1: none).
    int32_t selectedDrive() const { return selectedDrive_; }

    int32_t rowCount() const { return rows_; }
    // Column 0 the track's name, column 1 its length as hours:minutes:seconds.
    std::string rowText(int32_t row, int32_t column) const;
    AECDTrackSlot& slot(int32_t index) { return slots_[static_cast<size_t>(index)]; }
    const AECDTrackSlot& slot(int32_t index) const { return slots_[static_cast<size_t>(index)]; }

    CddaDriveList* driveMap() const { return driveMap_.get(); }
    CddaDrive* drive() const { return drive_.get(); }
    // How often the lists were filled, so a caller can tell a reload happened.
    int32_t fills() const { return fills_; }

    // A length in sectors as "hh:mm:ss" (333 000 sectors: "01:14:00").
    static std::string lengthText(int32_t sectors);

private:
    void clear();

    std::unique_ptr<CddaDriveList> driveMap_;
    std::unique_ptr<CddaDrive> drive_;
    std::vector<std::string> driveNames_;
    std::array<AECDTrackSlot, kSlots> slots_;
    int32_t rows_ = 0;
    int32_t selectedDrive_ = -1;
    int32_t fills_ = 0;
};
