#pragma once

#include "AEAudioEngine.h"
#include "AEDeviceServices.h"
#include "AEFileManager.h"
#include "AEMMEDevice.h"
#include "AEMixer.h"
#include "AEProject.h"
#include "AESoundcardSettings.h"
#include "AEUserInterface.h"
#include "DirectorySettings.h"
#include "RunLog.h"

#include "AppHost.h"
#include "MApplication.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

// The one application object. It owns the long-lived objects of the program, chooses the
// language, looks up strings, carries the application messages ("AEMessage") through
// which other threads and deep call chains ask for user-interface work, and tears
// everything down in a fixed order.
class AEApplication : public MApplication, public AppHost {
public:
    static constexpr int32_t kCdCapacitySeconds = 4800;
    static constexpr int kStringBuffers = 5;
    static constexpr size_t kStringBufferSize = 1024;

    // `commandLine`: the project path given to the program, or "".
    explicit AEApplication(std::string commandLine = {});
    ~AEApplication() override;

    static AEApplication* current();

    // --- Messages ----------------------------------------------------------------------
    void postAppMessage(int32_t tag, int32_t data = 0, int32_t data2 = 0,
                        FRef<FShared> obj = {}) override;
    bool notify(FMessage& message) override;

    // --- Strings -----------------------------------------------------------------------
    int32_t languageOffset() const { return languageOffset_; }
    int32_t stringId(int32_t id, int32_t mode) const override;
    const char* loadString(int32_t id) override;
    // The language offset that `customLang` (when stored) or the locale's primary
    // language code (low 8 bits of a Windows-style language id) selects; sets `japanese`.
    static int32_t chooseLanguage(bool customLangStored, const std::string& customLang,
                                  uint32_t localeLanguageId, bool& japanese);
    // The Windows-style primary language code of the system locale (0x07 German ...).
    static uint32_t systemLanguageId();

    // --- Message boxes -----------------------------------------------------------------
    void alert(const std::string& text);
    void alertNoOwner(const std::string& text);
    void alertString(int32_t id);
    bool askYesNo(int32_t id) override;
    // The same with a text of its own (a string with its blanks filled).
    bool askYesNoText(const std::string& text);

    // --- Flags ---------------------------------------------------------------------
    bool isBusy() const override { return busy_.load(); }
    void setBusy(bool busy) override { busy_.store(busy); }
    bool cancelRequested() const override { return cancel_.load(); }
    void setCancelRequested(bool cancel) override { cancel_.store(cancel); }
    bool quitRequested() const { return quitRequested_.load(); }
    bool discWriting() const { return discWriting_.load(); }
    void setDiscWriting(bool on) { discWriting_.store(on); }

    // --- Progress of long operations ---------------------------------------------------
    void progressBegin(int64_t steps) override;
    void progressAdvance(int64_t steps = 1) override;
    void progressEnd() override;
    int64_t progressValue() const { return progressValue_.load(); }
    int64_t progressMaximum() const { return progressMaximum_.load(); }
    bool progressActive() const { return progressActive_.load(); }
    // Told of every change, on the thread that made it (gleam-cli draws its bar with it;
    // the window polls the values above instead).
    void setProgressObserver(std::function<void(int64_t value, int64_t maximum)> observer) {
        progressObserver_ = std::move(observer);
    }

    // --- Run log -------------------------------------------------------------------
    void log(const char* text) override;
    void log(const char* text1, const char* text2);
    const RunLog& runLog() const { return *runLog_; }

    // --- Start and quit --------------------------------------------------------------
    // The start-up checks; true when they passed.
    virtual bool open();
    // Batch work (gleam-cli) leaves the user's stored settings as they are at exit.
    void setSaveSettingsAtExit(bool save) { saveSettingsAtExit_ = save; }
    // Starts the audio algorithm library as the start-up checks do, for batch work that
    // runs without them; false (after telling the user) when it cannot be started.
    bool startAlgorithmLibrary();
    void requestQuit();

    // --- Free space ------------------------------------------------------------------
    void refreshFreeSpace(bool atStartUp = false);
    int32_t freePercent() const { return freePercent_; }
    float freeSpace() const { return freeSpace_; }
    // The directory whose drive the free-space figures describe.
    std::string projectDriveDirectory() const;

    // --- Project and files --------------------------------------------------------------
    AEFileManager& fileManager() { return *fileManager_; }
    // The current project (null when none) and the path it is saved to.
    AEProject* project() const { return project_.get(); }
    const std::string& projectPath() const { return projectPath_; }
    // Replaces the current project (the old one is discarded, not saved: see saveProject).
    void setProject(std::unique_ptr<AEProject> project, std::string path);
    // Saves the current project to its file, as the end of the program does; true when
    // there is none or the file was written. A file marked read-only is left as it is.
    bool saveProject() const;

    // --- Fields read by other parts --------------------------------------------------
    const std::string& directory(int index) const { return directories_[index]; }
    void setDirectory(int index, std::string dir) { directories_[index] = std::move(dir); }
    const std::string& defaultProjectPath() const { return defaultProjectPath_; }
    const std::string& commandLinePath() const { return commandLinePath_; }
    int32_t volume(int index) const { return volumes_[index]; }
    // Also the engine's: 0 output left, 1 output right, 2 input left, 3 input right.
    void setVolume(int index, int32_t value);
    int32_t cdCapacitySeconds() const { return cdCapacitySeconds_; }
    DirectorySettings& directorySettings() { return *directorySettings_; }

    // --- Audio engine and sound card ------------------------------------------------------
    AESoundcardSettings& soundcardSettings() { return *soundcardSettings_; }
    AEMMEDevice& device() { return *device_; }
    AEAudioEngine& engine() { return *engine_; }
    AEMixer& mixer() { return *mixer_; }
    AEDeviceServices& deviceServices() { return *deviceServices_; }
    // The engine's buffers and devices as the sound card settings give them.
    AEAudioEngine::BufferSettings bufferSettings() const;

    // --- The user interface ------------------------------------------------------------
    void setDialogs(AEDialogs* dialogs) { dialogs_ = dialogs; }
    void setMainWindow(AEMainWindowHooks* window) { mainWindow_ = window; }
    AEMainWindowHooks* mainWindow() const { return mainWindow_; }
    void setProgressDisplay(AEProgressDisplay* display) { progressDisplay_ = display; }
    void setInPlaceEditor(AEInPlaceEditor* editor) { inPlaceEditor_ = editor; }
    AEInPlaceEditor* inPlaceEditor() const { return inPlaceEditor_; }

    // The volume names, in the order of the volume fields.
    static constexpr std::array<const char*, 4> kVolumeNames = {"volOutLeft", "volOutRight",
                                                                "volInLeft", "volInRight"};

protected:
    void start() override;
    // The screen's bits per pixel, or 0 where the program has no screen (batch work).
    virtual int32_t screenBitsPerPixel() const { return 0; }
    // The last start-up step: make the main window at its size, centre it and show it.
    // Only the window program has one.
    virtual void openMainWindow() {}

private:
    void prepareFields();
    void closeProgressDisplay();
    void saveSettings();

    // Owned objects, in construction order.
    std::unique_ptr<AESoundcardSettings> soundcardSettings_;
    std::unique_ptr<RunLog> runLog_;
    std::unique_ptr<AEFileManager> fileManager_;
    std::unique_ptr<DirectorySettings> directorySettings_;
    std::unique_ptr<AEMMEDevice> device_;
    std::unique_ptr<AEAudioEngine> engine_;
    std::unique_ptr<AEMixer> mixer_;
    std::unique_ptr<AEDeviceServices> deviceServices_;
    std::unique_ptr<AEProject> project_;
    std::string projectPath_;

    AEMainWindowHooks* mainWindow_ = nullptr;
    AEDialogs* dialogs_ = nullptr;
    AEProgressDisplay* progressDisplay_ = nullptr;
    AEInPlaceEditor* inPlaceEditor_ = nullptr;

    bool saveSettingsAtExit_ = true;
    bool algorithmLibraryStarted_ = false;
    std::atomic<bool> quitRequested_{false};
    std::atomic<bool> busy_{false};
    std::atomic<bool> cancel_{false};
    std::atomic<bool> discWriting_{false};

    int32_t freePercent_ = 0;
    float freeSpace_ = 0.0f;
    std::array<std::string, DirectorySettings::kCount> directories_;
    std::string defaultProjectPath_;
    std::string commandLinePath_;
    std::array<int32_t, 4> volumes_{65535, 65535, 65535, 65535};
    std::array<int32_t, 8> slotValues_{};
    std::array<uint8_t, 8> slotFlags_{};
    int32_t cdCapacitySeconds_ = kCdCapacitySeconds;
    int32_t languageOffset_ = 0;

    std::atomic<int64_t> progressValue_{0};
    std::atomic<int64_t> progressMaximum_{0};
    std::atomic<bool> progressActive_{false};
    std::function<void(int64_t, int64_t)> progressObserver_;

    std::array<std::array<char, kStringBufferSize>, kStringBuffers> stringBuffers_{};
    std::atomic<uint32_t> stringRing_{0};
};
