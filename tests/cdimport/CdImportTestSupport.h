#pragma once

// What the CD import tests share: the import fixture with a disc image named in
// GLEAM_CD_IMAGES, and a view that records what the import run shows.

#include "AECDImport.h"
#include "AECDImportView.h"
#include "AEImportList.h"
#include "AudioTestSupport.h"
#include "CddaDriveList.h"
#include "ImportTestSupport.h"

#include "support/CdImage.h"

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <mutex>

namespace CdTest {

// Audio tracks of 8 s, 2 s, 7.2 s (behind a 30-sector pregap), 2 s and 8 s, then data.
inline std::vector<Track> songDisc() {
    return {{600}, {150}, {540, false, 30}, {150}, {600}, {150, true}};
}

class RecordingView : public AECDImportView {
public:
    void setCopyControlsEnabled(bool enabled) override {
        std::lock_guard<std::mutex> lock(mutex);
        controls.push_back(enabled);
    }
    void showProgress(int32_t position, const std::string& status) override {
        {
            std::lock_guard<std::mutex> lock(mutex);
            statuses.push_back(status);
        }
        if (onProgress) {
            onProgress(position);
        }
    }
    void addingToProject() override { ++adding; }

    std::mutex mutex;
    std::vector<bool> controls;
    std::vector<std::string> statuses;
    std::atomic<int> adding{0};
    std::function<void(int32_t)> onProgress;
};

class CdImportTest : public ProjectTest::ImportTest {
protected:
    CdImportTest() {
        useImages({disc.cuePath()});
        // Every test starts from stored settings of its own.
        std::filesystem::remove(std::string(std::getenv("XDG_CONFIG_HOME")) +
                                "/Vortanix/Gleam.conf");
    }
    ~CdImportTest() override { unsetenv("GLEAM_CD_IMAGES"); }

    // Names the images in GLEAM_CD_IMAGES; returns the drive index of the first.
    int32_t useImages(const std::vector<std::string>& paths) {
        std::string list;
        for (const auto& path : paths) {
            list += (list.empty() ? "" : ":") + path;
        }
        setenv("GLEAM_CD_IMAGES", list.c_str(), 1);
        imageDrive = CddaDriveList().count() - static_cast<int32_t>(paths.size());
        return imageDrive;
    }

    AECDImport::Target target() { return {&list, &project, &files}; }

    // An import run for the image, with "song.WAV" in the test folder as the target.
    std::unique_ptr<AECDImport> openImport(AECDImport::Target where) {
        auto import = std::make_unique<AECDImport>(where, &view);
        import->setSelectedReader(imageDrive);
        import->fillLists();
        import->setImportName(dir.file("song.WAV"));
        return import;
    }

    // The files in the test folder, "base" left out.
    std::vector<std::string> folderFiles() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
            const std::string name = entry.path().filename().string();
            if (name != "base" && name.find(".cue") == std::string::npos &&
                name.find(".bin") == std::string::npos) {
                names.push_back(name);
            }
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    std::vector<std::string> errorTexts() const {
        std::vector<std::string> texts;
        for (const auto& message : host.messages) {
            if (message.tag == 20) {
                texts.push_back(message.text);
            }
        }
        return texts;
    }

    CdImage disc{dir.path(), "disc-600-150-p30x540-150-600-d150", songDisc()};
    AEImportList list;
    RecordingView view;
    int32_t imageDrive = 0;
};

} // namespace CdTest
