#pragma once

#include "AEAddToProject.h"

#include <QColor>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class AEApplication;
class AEBackgroundJob;
class AEImportList;
class QLineEdit;

// The title list: one row of 16 pixels per title in disc order with its number, name,
// artist, pause and playing length; processed titles in their own colour and the current
// title on the selection bar. A click chooses the current title, a double click on it
// edits its name, artist or pause in place, a right click switches what it plays
// (original or processed; with Ctrl for every title), and WAVE files dropped on the list
// are checked and added to the project on a thread of their own.
//
// The rows are drawn from a copy of the titles taken at refresh(). The list reads the
// project on the window thread, the only thread that changes it: files dropped are added
// as titles when the window handles the adding thread's message 4.
class AETrackListDisplay : public QWidget {
    Q_OBJECT
public:
    static constexpr int kRowHeight = 16;
    static constexpr int kBaseline = 13;
    static constexpr int kNumberX = 5;
    static constexpr int kNameX = 26;
    static constexpr int kNameWidth = 94;
    static constexpr int kArtistX = 123;
    static constexpr int kArtistWidth = 118;
    static constexpr int kPauseX = 246;
    static constexpr int kLengthX = 261;
    static constexpr int kLengthWidth = 40;
    // The title's loudness, once measured, where the list is wide enough to show it.
    static constexpr int kLoudnessX = 305;
    // Longest text an editor takes: its UTF-8 bytes stay within a project file's texts.
    static constexpr int kMaxEditChars = 255;

    enum EditKind : int32_t { kEditNone = 0, kEditName = 1, kEditArtist = 2, kEditPause = 3 };

    // Skin colours: 11 for titles, 14 for processed ones, and the selection bar.
    static const QColor kBackground;
    static const QColor kText;
    static const QColor kProcessed;
    static const QColor kMissing;
    static const QColor kBar;

    // `mode` 0 draws the selection bar. `importList` is the main window's.
    AETrackListDisplay(AEApplication& app, AEImportList& importList, int32_t mode = 0,
                       QWidget* parent = nullptr);
    ~AETrackListDisplay() override;

    // Takes a fresh copy of the titles and redraws.
    void refresh();
    // A long operation ended (message 4): the files added are in the project now.
    void operationEnded();

    // "0%li" below 10, "%li" from 10: 01 … 09, 10 ….
    static QString rowNumber(int32_t row);
    // The row under y, within the titles; −1 without titles.
    int32_t rowAt(int y) const;
    // The field a double click at x edits; the ranges are tried in this order, so x
    // from 123 to 124 still edits the name.
    static EditKind editKindAt(int x);
    // The editor's rectangle over `kind` in `row`.
    static QRect editRect(EditKind kind, int32_t row);

    // What a press of `buttons` (with `modifiers`) at `pos` does; `doubleClick` for the
    // second left click of a double click.
    void mouseDown(const QPoint& pos, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers,
                   bool doubleClick);
    // The open editor, its kind and row.
    QLineEdit* editor() const;
    EditKind editKind() const { return editKind_; }
    int32_t editRow() const { return editRow_; }
    // Ends the edit (Enter, Escape, or the application closing the editor): the text is
    // stored.
    void endEdit();

    // Whether files may be dropped now.
    bool acceptsDrop() const;
    // Checks dropped files and starts adding the good ones; false when none is added.
    bool dropFiles(const std::vector<std::string>& paths);
    // Waits for the files being added (tests); the report of the last drop.
    void waitForAdding();
    const AEAddToProject::Report& addReport() const { return report_; }

    // The copy the rows are drawn from.
    struct Row {
        QString number;
        QString name;
        QString artist;
        QString pause;
        QString length;
        // "-16.0 LUFS" once measured (AETitle::loudness), else empty.
        QString loudness;
        bool processed = false;
        bool selected = false;
        // The title's audio is away: its length column says so.
        bool missing = false;
    };
    const std::vector<Row>& rows() const { return rows_; }

signals:
    // The current title changed: the main view shows it.
    void titleShown();
    // Titles changed in place (what they play, their points): the main view refreshes.
    void titlesChanged();
    // Dropped files are being added: the remaining time follows.
    void importStarted();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    class Editor;
    void openEditor(EditKind kind, int32_t row);
    void switchStates(int32_t first, int32_t last);
    void keepCurrentVisible();

    AEApplication& app_;
    AEImportList& importList_;
    int32_t mode_;
    std::vector<Row> rows_;
    Editor* editor_ = nullptr;
    EditKind editKind_ = kEditNone;
    int32_t editRow_ = -1;
    std::unique_ptr<AEBackgroundJob> adding_;
    AEAddToProject::Report report_;
};
