#include "CddaDriveList.h"

#include "CddaDrive.h"

#include <cdio/cdio.h>

#include <cstdlib>

namespace {

// Vendor and model as the drive reports them; the device path when it cannot be asked.
CddaDriveInfo systemDrive(const char* device) {
    CddaDriveInfo info;
    info.source = device;
    info.product = device;
    if (CdIo_t* cdio = cdio_open(device, DRIVER_DEVICE)) {
        cdio_hwinfo_t hw{};
        if (cdio_get_hwinfo(cdio, &hw)) {
            info.vendor = hw.psz_vendor;
            info.product = hw.psz_model;
        }
        cdio_destroy(cdio);
    }
    return info;
}

} // namespace

CddaDriveList::CddaDriveList() {
    cddaInitialise();
    if (char** devices = cdio_get_devices(DRIVER_DEVICE)) {
        for (char** device = devices; *device; ++device) {
            drives_.push_back(systemDrive(*device));
        }
        cdio_free_device_list(devices);
    }
    for (const auto& path : imagePaths()) {
        CddaDriveInfo info;
        info.vendor = "Image";
        const size_t slash = path.rfind('/');
        info.product = slash == std::string::npos ? path : path.substr(slash + 1);
        info.source = path;
        info.image = true;
        drives_.push_back(std::move(info));
    }
    for (size_t i = 0; i < drives_.size(); ++i) {
        drives_[i].id = static_cast<int32_t>(i);
    }
}

const CddaDriveInfo* CddaDriveList::info(int32_t index) const {
    if (index < 0 || index >= count()) {
        return nullptr;
    }
    return &drives_[static_cast<size_t>(index)];
}

std::vector<std::string> CddaDriveList::imagePaths() {
    std::vector<std::string> paths;
    const char* list = std::getenv("GLEAM_CD_IMAGES");
    if (!list) {
        return paths;
    }
    const std::string text(list);
    size_t begin = 0;
    while (begin <= text.size()) {
        size_t end = text.find(':', begin);
        if (end == std::string::npos) {
            end = text.size();
        }
        if (end > begin) {
            paths.push_back(text.substr(begin, end - begin));
        }
        begin = end + 1;
    }
    return paths;
}
