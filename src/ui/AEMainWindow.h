#pragma once

#include "AEUserInterface.h"
#include "FileChooser.h"
#include "RestorationMode.h"
#include "StatusProgress.h"

#include <QKeySequence>
#include <QMainWindow>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

class AEApplication;
class AEDialogCommands;
class AEMainView;
class AETitleRunController;
class AEWindowTransport;
class AETrackListDisplay;
class AEWaveformPanel;
class AEWaveformView;
class QAction;
class QLabel;
class QStackedWidget;

// The program's one document window: menu bar, the main view and the about view. It
// carries out the menu commands and the main view's controls, and answers the
// application's messages through AEMainWindowHooks.
class AEMainWindow : public QMainWindow, public AEMainWindowHooks {
    Q_OBJECT
public:
    // Menu command numbers.
    enum Command : int32_t {
        kNewProject = 12000,
        kOpenProject = 12001,
        kSaveProject = 12002,
        kSelectTempDirectory = 12003,
        kQuit = 12004,
        kProcessAll = 12005,
        kSaveProjectAs = 12006,
        kExportAudio = 12007,
        kAbout = 12009,
        kExportTitleList = 12010,
        kImportFromCd = 12011,
        kNormalizeAll = 12012,
        kNormalizeSelected = 12013,
        kUseLeftChannel = 12014,
        kUseRightChannel = 12015,
        kSoundcardSettings = 12016,
        kHomePage = 12018,
        kServicePage = 12019,
        kRestorationClassic = 12020,
        kRestorationEnhanced = 12021,
        kExportFlac = 12022,
        kImportAudioFiles = 12023,
        kExportDiscImage = 12024,
        kSplitAtSilences = 12025,
        kRefresh = 12026,
        kFitWaveform = 12027,
        kNormalizeLoudness = 12028,
        kExportAlbum = 12029,
    };
    static constexpr int kWidth = 738;
    static constexpr int kHeight = 548;

    explicit AEMainWindow(AEApplication& app, QWidget* parent = nullptr);
    ~AEMainWindow() override;

    // Carries out a menu command; false for a number that is not one.
    bool command(int32_t number);
    // A main view control changed.
    void control(int32_t tag, int32_t value);

    // "%s  -  Gleam!" with the path, "Gleam!" without.
    void setProjectTitle(const std::string& path);
    static QString windowTitleFor(const std::string& path);
    // Enables or disables the main view's controls and records whether a project is loaded.
    void refreshMainView(bool projectLoaded);
    void refreshRemainingTime();
    void showAbout(bool show);
    bool aboutShown() const { return aboutShown_; }
    bool projectLoaded() const { return projectLoaded_; }
    bool monoUseLeft() const { return monoUseLeft_; }
    // Places the window at its size in the middle of the screen.
    void centreOnScreen();

    void setFileChooser(std::unique_ptr<FileChooser> chooser) { chooser_ = std::move(chooser); }
    FileChooser& fileChooser() const { return *chooser_; }
    // Sound card settings, audio export, WAVE and CD import.
    AEDialogCommands& dialogCommands() const { return *dialogCommands_; }
    AEMainView& view() const { return *view_; }
    // Recording, playback, faders and switches, the live displays.
    AEWindowTransport& transport() const { return *transport_; }
    // A key typed into the main view (Enter, Space, *, +, -, 0, F to fit the waveform,
    // Ctrl+C, Ctrl+V, Up and Down for the previous and next title, Delete to remove the
    // title).
    void keyTyped(int key, Qt::KeyboardModifiers modifiers, const QString& text);
    // The current title changed: the engine, the faders and the views follow.
    void currentTitleChanged();
    AETrackListDisplay& trackList() const { return *trackList_; }
    AEWaveformView& waveform() const;
    StatusProgress& progress() { return *progress_; }
    QAction* action(int32_t number) const;
    // Stops the transport through the stop procedure (a recording keeps its 7-second
    // rule whichever command ends it); every command that needs the transport still
    // stops it here.
    void stopTransport();
    // True (after telling the user, naming the file) when the audio of one of `indices` is
    // not there: what plays, processes or exports titles asks this first.
    bool refuseMissingAudio(const std::vector<int32_t>& indices);
    // True (after telling the user) when `path` is a file a title of the project refers to:
    // an export never replaces a title's audio.
    bool refuseTitleFile(const std::string& path);

    // AEMainWindowHooks
    void end() override;
    void stoppedState() override;
    void endOfOperationRefresh() override;
    void recordingStopped(int32_t currentIndex) override;
    void processedStateRefresh() override;
    void resetWaveformStates() override;
    void redraw() override;
    void setBusyState(int32_t state) override;
    void endOfProcessingRefresh() override;
    void refreshWaveform() override;
    void showTitle(int32_t number) override;
    void showStatus(const std::string& text) override;
    void showRecordingDropouts(int32_t dropouts, int32_t lostMilliseconds) override;
    // Classic or enhanced repair stages: stored, checked in the Options menu, and given
    // to playback and to every processing run from now on.
    void setRestorationMode(RestorationMode mode);
    RestorationMode restorationMode() const { return restorationMode_; }
    void freeSpaceChanged() override;
    void raise() override;
    int32_t showStartDialog(bool japaneseLayout) override;
    void newProject() override;
    void openProject() override;
    void openProjectFromPath(const std::string& path) override;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // What a command needs before it runs (its refusal is silent: the menus and buttons
    // show the state), and whether it stops the transport first.
    enum Need : uint8_t {
        kAnytime = 0,
        kProject = 1,      // a project is loaded
        kIdle = 2,         // no long operation runs
        kNotRecording = 4, // no recording runs
        kMainView = 8,     // the about view is not shown
        kTitles = 16,      // the project has titles
        kStops = 32,       // the transport stops (the stop procedure) before it runs
    };
    // One row of the command table (AEMainWindowCommands.cpp): a menu command (number
    // 12000 up, with its menu text) or a main view control (its tag, text 0).
    struct CommandRow {
        int32_t id;
        int32_t textId;
        uint8_t needs;
        QKeySequence::StandardKey key;
        void (*handler)(AEMainWindow& window, int32_t id);
    };
    static const std::vector<CommandRow>& commandTable();
    static const CommandRow* commandRow(int32_t id);
    bool allowed(const CommandRow& row) const;
    void run(const CommandRow& row);

    QString text(int32_t id) const;
    void buildMenus();
    // Handlers of the table that are more than a call.
    void setMonoUseLeft(bool useLeft);
    void chooseBaseDirectory();
    void exportTitleList();
    void askToNormalize(bool all);
    // "Normalize loudness (all titles)...": its dialog, then the run it asks for.
    void askToNormalizeLoudness();
    void processChosen(const std::vector<int32_t>& titles);
    void wind(bool forward);
    void moveTitle(bool up);
    void stopProcedure();
    // After the transport stopped: controls back, displays refreshed, and the user told
    // when the recording was too short to keep.
    void transportStopped(bool recordingRemoved);
    void removeTitle(bool deleteFiles);
    void stepTitle(int32_t direction);
    bool openProjectFile(const std::string& path);
    // Before another project takes the current one's place: the current one is saved, or,
    // when it cannot be, the user is told and offered Save As. False when it stays unsaved
    // (the replacement must then wait).
    bool saveBeforeReplacing();
    // Asks where to save the project, saves it there and opens it from there; false when
    // the user declines or the file is not written.
    bool saveProjectAs();
    // Quits once the project is saved, saved elsewhere, or the user lets it go unsaved.
    void quitSaving();
    void loadButtonStates();
    void saveButtonStates() const;
    // The title list and the waveform in their places, and their refresh
    // (AEMainWindowTitles.cpp).
    void buildTitleViews();
    void refreshTitleViews();

    AEApplication& app_;
    std::unique_ptr<FileChooser> chooser_;
    std::unique_ptr<AEDialogCommands> dialogCommands_;
    QStackedWidget* stack_ = nullptr;
    AEMainView* view_ = nullptr;
    AETrackListDisplay* trackList_ = nullptr;
    AEWaveformPanel* waveformPanel_ = nullptr;
    QLabel* about_ = nullptr;
    std::unique_ptr<StatusProgress> progress_;
    std::vector<std::pair<int32_t, QAction*>> actions_;
    // Processing and normalizing runs: their thread and the busy state they hold.
    std::unique_ptr<AETitleRunController> titleRuns_;
    bool projectLoaded_ = false;
    bool aboutShown_ = false;
    bool monoUseLeft_ = true;
    RestorationMode restorationMode_ = kDefaultRestorationMode;
    QLabel* repairStatus_ = nullptr; // what the last processing run repaired
    std::unique_ptr<AEWindowTransport> transport_;
};
