#pragma once

#include "CddaTypes.h"

#include <string>
#include <vector>

// The CD drives the program can read from: the system's CD drives (vendor and model as the
// drive reports them), then the CD images (CUE/BIN, TOC, NRG) named in the environment
// variable GLEAM_CD_IMAGES, separated by ":". The list is taken once, at construction.
class CddaDriveList {
public:
    CddaDriveList();

    int32_t count() const { return static_cast<int32_t>(drives_.size()); }
    // Entry `index`, or null outside the list.
    const CddaDriveInfo* info(int32_t index) const;

    // The image paths named in GLEAM_CD_IMAGES, empty entries left out.
    static std::vector<std::string> imagePaths();

private:
    std::vector<CddaDriveInfo> drives_;
};
