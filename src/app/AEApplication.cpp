#include "AEApplication.h"

#include "AEProjectOutcome.h"
#include "AlgorithmLibrary.h"
#include "DiskSpace.h"
#include "RegistryStore.h"
#include "StringTable.h"

#include "FClassRegistry.h"
#include "FMessageQueue.h"
#include "FString.h"

#include <QLocale>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace {

const FRegisterClass registerAEApplication("AEApplication", "MApplication");

constexpr const char kAppMessage[] = "AEMessage";
constexpr const char kMissingStringTable[] = "Could not read application string table";
constexpr int32_t kStartNewProject = 1;
constexpr int32_t kStartOpenProject = 1012;
constexpr int32_t kStringDefaultProject = 3006;
constexpr int32_t kStringOutOfMemory = 3009;
constexpr int32_t kMinimumScreenBits = 15;

// Copies `text` into `buffer` of `size` bytes, cut on a UTF-8 character boundary.
void copyCut(const std::string& text, char* buffer, size_t size) {
    size_t length = std::min(text.size(), size - 1);
    while (length > 0 && length < text.size() &&
           (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) {
        --length;
    }
    std::memcpy(buffer, text.data(), length);
    buffer[length] = '\0';
}

AEApplication* currentApplication = nullptr;

} // namespace

AEApplication* AEApplication::current() {
    return currentApplication;
}

AEApplication::AEApplication(std::string commandLine) {
    // 1. Framework base constructed; no main window.
    mainWindow_ = nullptr;
    currentApplication = this;
    AppHost::setCurrent(this);
    // 2. Sound card settings.
    soundcardSettings_ = std::make_unique<AESoundcardSettings>();
    // 3. Volumes, slot values and the disc capacity.
    volumes_ = {65535, 65535, 65535, 65535};
    slotValues_.fill(0);
    slotFlags_.fill(0);
    cdCapacitySeconds_ = kCdCapacitySeconds;
    // 4. Run log.
    runLog_ = std::make_unique<RunLog>();
    log("");
    log("----- AE starting up --------");
    // 5. File manager; without a project its base directory is the last directory.
    fileManager_ = std::make_unique<AEFileManager>();
    fileManager_->setLastDirectorySource([this] { return directories_[0]; });
    // 6. Directory settings.
    directorySettings_ = std::make_unique<DirectorySettings>();
    // 7. Wave device.
    device_ = std::make_unique<AEMMEDevice>();
    // 8. Audio engine, handed to the device.
    engine_ = std::make_unique<AEAudioEngine>(*device_);
    engine_->setFileManager(fileManager_.get());
    // 9. Buffer parameters (and device numbers) from the sound card settings.
    const AEAudioEngine::BufferSettings buffers = bufferSettings();
    device_->setNumPlayBuffers(buffers.numPlayBuffers);
    device_->setNumRecBuffers(buffers.numRecBuffers);
    device_->setPlayBufferSize(buffers.playBufferSize);
    device_->setRecBufferSize(buffers.recBufferSize);
    device_->setDeviceNumbers(buffers.playDevice, buffers.recDevice);
    // 10. Mixer and device services.
    mixer_ = std::make_unique<AEMixer>();
    deviceServices_ = std::make_unique<AEDeviceServices>();
    // 11. No project, no in-place editor, no progress display.
    inPlaceEditor_ = nullptr;
    progressDisplay_ = nullptr;
    // 12. Language.
    std::string customLang;
    bool stored = directorySettings_->store().readText("customLang", customLang, "-", 511);
    bool japanese = false;
    languageOffset_ = chooseLanguage(stored, customLang, systemLanguageId(), japanese);
    directorySettings_->setJapaneseLayout(japanese);
    // 13. Directories.
    directorySettings_->loadDirectories();

    commandLinePath_ = std::move(commandLine);
    prepareFields();
}

void AEApplication::prepareFields() {
    for (int i = 0; i < DirectorySettings::kCount; ++i) {
        directories_[i] = directorySettings_->directory(i);
    }
    char path[1024];
    std::snprintf(path, sizeof path, "%s%s.dat", DirectorySettings::defaultDirectory().c_str(),
                  loadString(stringId(kStringDefaultProject, 0)));
    defaultProjectPath_ = path;
    quitRequested_ = false;
    busy_ = false;
    cancel_ = false;
    discWriting_ = false;
    for (size_t i = 0; i < kVolumeNames.size(); ++i) {
        directorySettings_->store().readInt(kVolumeNames[i], volumes_[i], 65535);
        setVolume(static_cast<int>(i), volumes_[i]);
    }
}

void AEApplication::setVolume(int index, int32_t value) {
    volumes_[index] = value;
    const auto direction = index < 2 ? AEVolumes::kOutput : AEVolumes::kInput;
    engine_->volumes().setVolume(direction, index % 2, value);
}

AEAudioEngine::BufferSettings AEApplication::bufferSettings() const {
    const AESoundcardSettings::Values& values = soundcardSettings_->values();
    AEAudioEngine::BufferSettings buffers;
    buffers.numPlayBuffers = values.numBuffPlay;
    buffers.numRecBuffers = values.numBuffRec;
    buffers.playBufferSize = values.buffSizePlay;
    buffers.recBufferSize = values.buffSizeRec;
    buffers.playDevice = values.idPlayDevice;
    buffers.recDevice = values.idRecDevice;
    return buffers;
}

AEApplication::~AEApplication() {
    // 1. The engine's worker.
    engine_->stopThread();
    // 2. The wave device.
    device_->close();
    device_->freeBuffers();
    // 3. The current project.
    saveProject();
    // 4. Screen saver.
    deviceServices_->restoreScreenSaver();
    // 5. Algorithm library.
    if (algorithmLibraryStarted_) {
        AlgorithmLibrary::shutdown();
        algorithmLibraryStarted_ = false;
    }
    // 6. The wave device goes; the engine no longer reaches it.
    engine_->detachDevice();
    device_.reset();
    // 7. Settings.
    if (saveSettingsAtExit_) {
        saveSettings();
    }
    // 8. Owned objects, in order.
    engine_.reset();
    fileManager_.reset();
    project_.reset();
    mixer_.reset();
    deviceServices_.reset();
    directorySettings_.reset();
    soundcardSettings_.reset();
    // 9. Last line, then the log itself.
    log("--- AE shutdown complete ----");
    runLog_.reset();
    AppHost::setCurrent(nullptr);
    currentApplication = nullptr;
}

void AEApplication::saveSettings() {
    const RegistryStore& store = directorySettings_->store();
    auto writeDir = [&](int index) {
        store.writeText(DirectorySettings::kNames[index], directories_[index].c_str());
    };
    writeDir(0);
    writeDir(1);
    writeDir(2);
    store.writeInt(kVolumeNames[0], volumes_[0]);
    store.writeInt(kVolumeNames[1], volumes_[1]);
    writeDir(3);
    writeDir(4);
    writeDir(5);
    writeDir(6);
    store.writeInt(kVolumeNames[2], volumes_[2]);
    store.writeInt(kVolumeNames[3], volumes_[3]);
}

// --- Language and strings -----------------------------------------------------------

uint32_t AEApplication::systemLanguageId() {
    switch (QLocale::system().language()) {
    case QLocale::German:
        return 0x07;
    case QLocale::French:
        return 0x0C;
    case QLocale::Japanese:
        return 0x11;
    default:
        return 0x09;
    }
}

int32_t AEApplication::chooseLanguage(bool customLangStored, const std::string& customLang,
                                      uint32_t localeLanguageId, bool& japanese) {
    japanese = false;
    if (customLangStored) {
        if (customLang == "de") {
            return StringTable::kGerman;
        }
        if (customLang == "jp") {
            japanese = true;
            return StringTable::kJapanese;
        }
        if (customLang == "fr") {
            return StringTable::kFrench;
        }
        return StringTable::kEnglish;
    }
    switch (localeLanguageId & 0xFF) {
    case 0x07:
        return StringTable::kGerman;
    case 0x0C:
        return StringTable::kFrench;
    case 0x11:
        japanese = true;
        return StringTable::kJapanese;
    default:
        return StringTable::kEnglish;
    }
}

int32_t AEApplication::stringId(int32_t id, int32_t mode) const {
    if (mode == 0 || (mode == 1 && id >= 4000)) {
        return id + languageOffset_;
    }
    return id;
}

const char* AEApplication::loadString(int32_t id) {
    const std::string* text = StringTable::instance().find(id);
    if (!text) {
        return "error";
    }
    uint32_t index = stringRing_.fetch_add(1) % kStringBuffers;
    char* buffer = stringBuffers_[index].data();
    copyCut(*text, buffer, kStringBufferSize);
    return buffer;
}

// --- Message boxes ------------------------------------------------------------------

void AEApplication::alert(const std::string& text) {
    if (dialogs_) {
        dialogs_->alert(text, true);
    } else {
        std::fprintf(stderr, "Gleam!: %s\n", text.c_str());
    }
}

void AEApplication::alertNoOwner(const std::string& text) {
    if (dialogs_) {
        dialogs_->alert(text, false);
    } else {
        std::fprintf(stderr, "Gleam!: %s\n", text.c_str());
    }
}

void AEApplication::alertString(int32_t id) {
    // The whole text is shown: a fixed byte limit would cut longer translations.
    const std::string* text = StringTable::instance().find(id);
    if (!text) {
        alertNoOwner(kMissingStringTable);
        return;
    }
    alert(*text);
}

bool AEApplication::askYesNo(int32_t id) {
    const std::string* text = StringTable::instance().find(id);
    if (!text) {
        alertNoOwner(kMissingStringTable);
        return false;
    }
    return askYesNoText(*text);
}

bool AEApplication::askYesNoText(const std::string& text) {
    return dialogs_ && dialogs_->askYesNo(text);
}

// --- Run log ------------------------------------------------------------------------

void AEApplication::log(const char* text) {
    if (runLog_) {
        runLog_->log(text);
    }
}

void AEApplication::log(const char* text1, const char* text2) {
    char line[200];
    std::snprintf(line, sizeof line, "%s%s", text1, text2);
    log(line);
}

// --- Messages -----------------------------------------------------------------------

void AEApplication::postAppMessage(int32_t tag, int32_t data, int32_t data2, FRef<FShared> obj) {
    FMessage message(kAppMessage);
    message.setInt("Tag", tag);
    if (data != 0) {
        message.setInt("data", data);
    }
    if (data2 != 0) {
        message.setInt("data2", data2);
    }
    if (obj) {
        message.setObject(std::move(obj));
    }
    post(std::move(message));
}

void AEApplication::closeProgressDisplay() {
    if (progressDisplay_) {
        progressDisplay_->setText("");
        progressDisplay_->setValues(0, 0);
        progressDisplay_->hide();
    }
}

bool AEApplication::notify(FMessage& message) {
    if (!message.is(kAppMessage)) {
        return MApplication::notify(message);
    }
    const int32_t tag = message.getInt("Tag");
    const int32_t data = message.getInt("data");
    // A worker's outcome changes the project here, on the window thread, before the
    // message's own work (the redraw it causes, the end of the operation).
    if (auto* outcome = dynamic_cast<AEProjectOutcome*>(message.object())) {
        if (project_) {
            outcome->apply(*project_);
        }
    }
    auto recordingStopped = [this] {
        closeProgressDisplay();
        if (mainWindow_) {
            const int32_t current = project_ ? project_->currentTitle() : -1;
            mainWindow_->recordingStopped(current >= 0 && current <= 99 ? current : -1);
        }
        refreshFreeSpace();
        busy_ = false;
    };
    switch (tag) {
    case 1:
    case 12:
    case 13:
    case 14:
    case 15:
    case 19:
        break;
    case kTagCloseEditor:
        if (inPlaceEditor_) {
            std::exchange(inPlaceEditor_, nullptr)->close();
        }
        break;
    case kTagEndOfOperation:
        if (mainWindow_) {
            mainWindow_->endOfOperationRefresh();
        }
        busy_ = false;
        refreshFreeSpace();
        recordingStopped();
        break;
    case kTagTransportStopped:
        closeProgressDisplay();
        if (mainWindow_) {
            mainWindow_->stoppedState();
        }
        break;
    case kTagRecordingStopped:
        recordingStopped();
        if (mainWindow_) {
            mainWindow_->showRecordingDropouts(data, message.getInt("data2"));
        }
        break;
    case kTagProcessed:
        if (mainWindow_) {
            mainWindow_->processedStateRefresh();
        }
        break;
    case kTagOutOfMemory:
        alertString(stringId(kStringOutOfMemory, 0));
        break;
    case kTagProgress:
        refreshFreeSpace();
        break;
    case kTagError:
        if (data > 0) {
            alertString(data);
        } else if (FShared* object = message.object()) {
            if (auto* text = dynamic_cast<FString*>(object)) {
                alert(text->text());
            }
            message.takeObject().reset();
        }
        break;
    case kTagProcessingEnded:
        closeProgressDisplay();
        if (mainWindow_) {
            mainWindow_->resetWaveformStates();
        }
        break;
    case kTagRedraw:
        if (mainWindow_) {
            mainWindow_->redraw();
        }
        break;
    case kTagBusyStart:
    case kTagBusyEnd:
        if (mainWindow_) {
            mainWindow_->setBusyState(tag == kTagBusyStart ? 0 : 1);
        }
        break;
    case kTagEndOfProcessing:
        if (mainWindow_) {
            mainWindow_->endOfProcessingRefresh();
        }
        break;
    case kTagRefreshWaveform:
        if (mainWindow_) {
            mainWindow_->refreshWaveform();
        }
        break;
    case kTagShowTitle:
        if (mainWindow_) {
            mainWindow_->showTitle(data);
        }
        break;
    case kTagStatus:
        if (auto* text = dynamic_cast<FString*>(message.object()); text && mainWindow_) {
            mainWindow_->showStatus(text->text());
        }
        message.takeObject().reset();
        break;
    default:
        log("Application notify: unknown event received");
        break;
    }
    return MApplication::notify(message);
}

// --- Start, open and quit -----------------------------------------------------------

void AEApplication::start() {
    MApplication::start();
    if (!open()) {
        requestQuit();
    }
    if (commandLinePath_.empty()) {
        if (mainWindow_) {
            int32_t choice = mainWindow_->showStartDialog(directorySettings_->japaneseLayout());
            if (choice == kStartNewProject) {
                mainWindow_->newProject();
            } else if (choice == kStartOpenProject) {
                mainWindow_->openProject();
            }
        }
    } else if (mainWindow_ && !busy_) {
        mainWindow_->openProjectFromPath(commandLinePath_);
    }
}

bool AEApplication::startAlgorithmLibrary() {
    if (!algorithmLibraryStarted_) {
        if (AlgorithmLibrary::initialise(AlgorithmLibrary::kApplicationMaxBlock) != 0) {
            alertNoOwner("Could not initialize\nthe audio algorithm library");
            return false;
        }
        algorithmLibraryStarted_ = true;
    }
    return true;
}

bool AEApplication::open() {
    if (!startAlgorithmLibrary()) {
        return false;
    }
    if (!deviceServices_->hasAudioDevices()) {
        alertNoOwner("No audio device available!");
        return false;
    }
    if (!deviceServices_->supportsCdFormat()) {
        alertNoOwner("The soundcard doesn't support\n44.1 kHz, 16 bit Stereo!");
        return false;
    }
    // The text asks for 32768 colours, so the test is for 15 bits rather than 9.
    const int32_t depth = screenBitsPerPixel();
    if (depth > 0 && depth < kMinimumScreenBits) {
        alertNoOwner("You need at least 32768 colors to run Gleam!");
        return false;
    }
    mixer_->open();
    deviceServices_->disableScreenSaver();
    directorySettings_->ensureDirectories();
    if (!device_->open()) {
        log("opening the wave device failed: ", device_->lastError().c_str());
    }
    engine_->startThread();
    refreshFreeSpace(true);
    RegistryStore store;
    int32_t x = 5;
    int32_t y = 5;
    store.readInt("wndXpos", x, 5);
    store.readInt("wndYpos", y, 5);
    // Read and kept in range, but the window opens centred whatever they hold.
    x = std::clamp(x, 5, 1600);
    y = std::clamp(y, 5, 1200);
    (void)x;
    (void)y;
    openMainWindow();
    return true;
}

void AEApplication::requestQuit() {
    // A quit refused while a long operation runs leaves everything running: the transport,
    // and the engine's worker, without which nothing would play again.
    if (busy_) {
        return;
    }
    if (mainWindow_) {
        mainWindow_->end();
    }
    engine_->requestThreadStop();
    quitRequested_ = true;
    quit();
}

// --- Progress -----------------------------------------------------------------------

void AEApplication::progressBegin(int64_t steps) {
    progressMaximum_ = std::max<int64_t>(steps, 0);
    progressValue_ = 0;
    progressActive_ = true;
    if (progressObserver_) {
        progressObserver_(0, progressMaximum_);
    }
}

void AEApplication::progressAdvance(int64_t steps) {
    const int64_t value = progressValue_.fetch_add(steps) + steps;
    if (progressObserver_) {
        progressObserver_(value, progressMaximum_);
    }
}

void AEApplication::progressEnd() {
    progressActive_ = false;
    progressValue_ = 0;
    progressMaximum_ = 0;
    if (progressObserver_) {
        progressObserver_(-1, 0);
    }
}

// --- Free space -----------------------------------------------------------------------

std::string AEApplication::projectDriveDirectory() const {
    return fileManager_->baseDirectory();
}

void AEApplication::setProject(std::unique_ptr<AEProject> project, std::string path) {
    fileManager_->setProject(project.get());
    project_ = std::move(project);
    projectPath_ = std::move(path);
}

bool AEApplication::saveProject() const {
    if (!project_) {
        return true;
    }
    // The new file is renamed over the old one, which the file's own permissions would not
    // stop: a project the user marked read-only is refused here.
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::file_status status = fs::status(projectPath_, error);
    constexpr fs::perms kWrite =
        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    if (fs::exists(status) && (status.permissions() & kWrite) == fs::perms::none) {
        return false;
    }
    bool written = false;
    project_->save(projectPath_, &written);
    return written;
}

void AEApplication::refreshFreeSpace(bool atStartUp) {
    const std::string dir = projectDriveDirectory();
    const auto total = static_cast<float>(DiskSpace::totalKB(dir));
    const auto free = static_cast<float>(DiskSpace::freeKB(dir));
    freePercent_ = total > 0.0f ? static_cast<int32_t>(free / total * 100.0f) : 0;
    if (atStartUp) {
        freeSpace_ = free;
        return;
    }
    if (!discWriting_ && free != freeSpace_) {
        freeSpace_ = free;
        if (mainWindow_) {
            mainWindow_->freeSpaceChanged();
        }
    }
}
