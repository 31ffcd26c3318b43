#include "AECDDriveLists.h"

#include "AECDText.h"

#include "CddaDrive.h"
#include "CddaDriveList.h"

#include <algorithm>
#include <cstdio>

AECDDriveLists::AECDDriveLists() = default;
AECDDriveLists::~AECDDriveLists() = default;

void AECDDriveLists::clear() {
    driveNames_.clear();
    rows_ = 0;
    selectedDrive_ = -1;
    for (auto& slot : slots_) {
        slot.selected = false;
        slot.length = 0;
        slot.type = kCddaAudioTrack;
    }
}

void AECDDriveLists::prepare(int32_t reader) {
    if (!driveMap_) {
        driveMap_ = std::make_unique<CddaDriveList>();
    }
    if (!drive_) {
        if (const CddaDriveInfo* info = driveMap_->info(reader)) {
            drive_ = std::make_unique<CddaDrive>(*info);
        }
    }
}

void AECDDriveLists::fill(int32_t reader) {
    clear();
    ++fills_;
    prepare(reader);
    for (int32_t i = 0; i < driveMap_->count(); ++i) {
        const CddaDriveInfo* info = driveMap_->info(i);
        driveNames_.push_back("SCSI ID " + std::to_string(info->id) + ": " + info->vendor + " " +
                              info->product);
    }
    if (drive_ && drive_->lastError() == kCddaOk && drive_->status().readable) {
        const std::string title = AECDText::text(AECDText::kTitle);
        const int32_t tracks = std::min(drive_->trackCount(), kSlots);
        for (int32_t t = 0; t < tracks; ++t) {
            AECDTrackSlot& slot = slots_[static_cast<size_t>(t)];
            CddaTrackInfo track;
            if (drive_->readTrackInfo(t + 1, track) == kCddaOk) {
                slot.length = track.length;
                slot.type = track.type;
            }
            slot.name = title + " " + std::to_string(t + 1);
        }
        rows_ = tracks;
    }
    if (reader >= 0 && reader < driveCount()) {
        selectedDrive_ = reader;
    }
}

void AECDDriveLists::refresh(int32_t reader) {
    clear();
    drive_.reset();
    driveMap_.reset();
    prepare(reader);
    if (drive_) {
        drive_->status();
        if (drive_->mediaChanged()) {
            drive_->reload();
        }
    }
    fill(reader);
}

std::string AECDDriveLists::rowText(int32_t row, int32_t column) const {
    if (row < 0 || row >= rows_) {
        return {};
    }
    const AECDTrackSlot& s = slots_[static_cast<size_t>(row)];
    switch (column) {
    case 0:
        return s.name;
    case 1:
        return lengthText(s.length);
    default:
        return "??? Error! ???";
    }
}

std::string AECDDriveLists::lengthText(int32_t sectors) {
    constexpr int32_t kSectorsPerHour = 270000;
    constexpr int32_t kSectorsPerMinute = 4500;
    const int32_t rest = sectors % kSectorsPerHour;
    char text[32];
    std::snprintf(text, sizeof text, "%.2d:%.2d:%.2d", sectors / kSectorsPerHour,
                  rest / kSectorsPerMinute, rest % kSectorsPerMinute / kCddaSectorsPerSecond);
    return text;
}
