#include "AETrackListDisplay.h"

#include "AEApplication.h"
#include "AEBackgroundJob.h"
#include "AEImportList.h"
#include "AEProject.h"
#include "AETimeText.h"
#include "AETitleStateSwitch.h"
#include "AEWaveImport.h"

#include "FClassRegistry.h"

#include <QDragEnterEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QMimeData>
#include <QPainter>
#include <QScrollArea>

#include <algorithm>

namespace {

const FRegisterClass registerAETrackListDisplay("AETrackListDisplay", "UView");

constexpr int32_t kStringListTip = 3231;
constexpr int32_t kStringDropHint = 3233;
constexpr int32_t kStringMissing = 3280;

bool hasLocalFiles(const QMimeData* data) {
    if (!data || !data->hasUrls()) {
        return false;
    }
    const QList<QUrl> urls = data->urls();
    return std::any_of(urls.begin(), urls.end(), [](const QUrl& u) { return u.isLocalFile(); });
}

} // namespace

// The one-line editor over a field. Enter, Escape and leaving it end the edit, the text
// taken in every case; the application may close it too (message 3).
class AETrackListDisplay::Editor : public QLineEdit, public AEInPlaceEditor {
public:
    Editor(AETrackListDisplay& list, const QString& text) : QLineEdit(text, &list), list_(&list) {
        setMaxLength(kMaxEditChars);
        setFrame(false);
        setStyleSheet(QStringLiteral("QLineEdit { background: #f4f5f7; color: #111317; "
                                     "border: none; padding: 0; font-size: 12px; }"));
        connect(this, &QLineEdit::returnPressed, this, [this] { end(); });
    }
    void close() override { end(); }
    // The list is going: nothing is stored any more.
    void detach() { list_ = nullptr; }

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Escape) {
            end();
            return;
        }
        QLineEdit::keyPressEvent(event);
    }
    void focusOutEvent(QFocusEvent* event) override {
        QLineEdit::focusOutEvent(event);
        end();
    }

private:
    void end() {
        if (list_) {
            list_->endEdit();
        }
    }
    AETrackListDisplay* list_;
};

const QColor AETrackListDisplay::kBackground(0x11, 0x13, 0x17);
const QColor AETrackListDisplay::kText(0xe8, 0xea, 0xed);
const QColor AETrackListDisplay::kProcessed(0x5f, 0xd0, 0x8c);
const QColor AETrackListDisplay::kMissing(0xe0, 0xa0, 0x40);
const QColor AETrackListDisplay::kBar(0x2d, 0x4f, 0x7c);

AETrackListDisplay::AETrackListDisplay(AEApplication& app, AEImportList& importList, int32_t mode,
                                       QWidget* parent)
    : QWidget(parent), app_(app), importList_(importList), mode_(mode) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAcceptDrops(true);
    setToolTip(QString::fromUtf8(app_.loadString(app_.stringId(kStringListTip, 0))));
    setMinimumWidth(kLengthX + kLengthWidth);
}

AETrackListDisplay::~AETrackListDisplay() {
    if (editor_) {
        if (app_.inPlaceEditor() == editor_) {
            app_.setInPlaceEditor(nullptr);
        }
        editor_->detach();
    }
    adding_.reset();
}

QString AETrackListDisplay::rowNumber(int32_t row) {
    const long number = row + 1;
    return QString::asprintf(number < 10 ? "0%li" : "%li", number);
}

void AETrackListDisplay::refresh() {
    const AEProject* project = app_.project();
    rows_.clear();
    const int32_t count = project ? project->titleCount() : 0;
    for (int32_t i = 0; i < count; ++i) {
        const AETitle* t = project->title(i);
        Row row;
        row.number = rowNumber(i);
        row.name = QString::fromStdString(t->displayName());
        row.artist = QString::fromStdString(t->artist());
        row.pause = QString::fromStdString(t->pauseSeconds());
        row.missing = t->audioMissing();
        row.length = row.missing
                         ? QString::fromUtf8(app_.loadString(app_.stringId(kStringMissing, 0)))
                         : QString::fromStdString(AETimeText::minutesSeconds(t->playingLength()));
        if (const std::optional<double> loudness = t->loudness()) {
            row.loudness = QLocale().toString(*loudness, 'f', 1) + QStringLiteral(" LUFS");
        }
        row.processed = t->stateCode() == AETitleProcessState::kProcessed;
        row.selected = i == project->currentTitle();
        rows_.push_back(std::move(row));
    }
    setMinimumHeight(count * kRowHeight);
    keepCurrentVisible();
    update();
}

void AETrackListDisplay::operationEnded() {
    // The routine posts its end just before it lets go of the list.
    waitForAdding();
    refresh();
}

void AETrackListDisplay::keepCurrentVisible() {
    QWidget* viewport = parentWidget();
    auto* area = viewport ? qobject_cast<QScrollArea*>(viewport->parentWidget()) : nullptr;
    const auto current =
        std::find_if(rows_.begin(), rows_.end(), [](const Row& r) { return r.selected; });
    if (area && current != rows_.end()) {
        const int row = static_cast<int>(current - rows_.begin());
        area->ensureVisible(0, row * kRowHeight + kRowHeight / 2, 0, kRowHeight);
    }
}

// --- Drawing ----------------------------------------------------------------------------

void AETrackListDisplay::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    p.fillRect(event->rect(), kBackground);
    QFont f = font();
    f.setPixelSize(12);
    p.setFont(f);
    if (rows_.empty()) {
        if (app_.project()) {
            p.setPen(QColor(0x6b, 0x71, 0x7a));
            p.drawText(rect().adjusted(8, 8, -8, -8), Qt::AlignCenter | Qt::TextWordWrap,
                       QString::fromUtf8(app_.loadString(app_.stringId(kStringDropHint, 0))));
        }
        return;
    }
    const QFontMetrics metrics(f);
    const int first = std::max(0, event->rect().top() / kRowHeight);
    const int last =
        std::min(static_cast<int>(rows_.size()) - 1, event->rect().bottom() / kRowHeight);
    for (int r = first; r <= last; ++r) {
        const Row& row = rows_[static_cast<size_t>(r)];
        const int top = r * kRowHeight;
        if (row.selected && mode_ == 0) {
            p.fillRect(0, top, width(), kRowHeight, kBar);
            p.fillRect(0, top, 3, kRowHeight, QColor(0x7a, 0xa7, 0xd9));
        }
        p.setPen(row.processed ? kProcessed : kText);
        const int y = top + kBaseline;
        p.drawText(kNumberX, y, row.number);
        p.drawText(kNameX, y, metrics.elidedText(row.name, Qt::ElideRight, kNameWidth));
        p.drawText(kArtistX, y, metrics.elidedText(row.artist, Qt::ElideRight, kArtistWidth));
        p.drawText(kPauseX, y, row.pause);
        if (row.missing) {
            p.setPen(kMissing);
        }
        p.drawText(kLengthX, y, row.length);
        if (!row.loudness.isEmpty()) {
            p.setPen(row.processed ? kProcessed : kText);
            p.drawText(kLoudnessX, y, row.loudness);
        }
    }
}

// --- Mouse ------------------------------------------------------------------------------

int32_t AETrackListDisplay::rowAt(int y) const {
    const AEProject* project = app_.project();
    if (!project || project->titleCount() == 0) {
        return -1;
    }
    return std::clamp(y / kRowHeight, 0, project->titleCount() - 1);
}

AETrackListDisplay::EditKind AETrackListDisplay::editKindAt(int x) {
    if (x >= 26 && x < 125) {
        return kEditName;
    }
    if (x >= 123 && x < 242) {
        return kEditArtist;
    }
    if (x >= 243 && x <= 258) {
        return kEditPause;
    }
    return kEditNone;
}

QRect AETrackListDisplay::editRect(EditKind kind, int32_t row) {
    const int top = row * kRowHeight + 2;
    const int bottom = row * kRowHeight + 15;
    switch (kind) {
    case kEditName:
        return {QPoint(26, top), QPoint(120, bottom)};
    case kEditArtist:
        return {QPoint(123, top), QPoint(241, bottom)};
    case kEditPause:
        return {QPoint(243, top), QPoint(257, bottom)};
    default:
        return {};
    }
}

void AETrackListDisplay::switchStates(int32_t first, int32_t last) {
    AEProject* project = app_.project();
    for (int32_t i = first; i <= last; ++i) {
        if (AETitle* t = project->title(i)) {
            AETitleStateSwitch::run(*t);
        }
    }
}

void AETrackListDisplay::mouseDown(const QPoint& pos, Qt::MouseButtons buttons,
                                   Qt::KeyboardModifiers modifiers, bool doubleClick) {
    AEProject* project = app_.project();
    if (app_.isBusy() || importList_.adding || app_.engine().isPlayingOrRecording() || !project ||
        project->titleCount() == 0) {
        return;
    }
    const int32_t row = rowAt(pos.y());
    const bool rightAlone = buttons == Qt::RightButton;
    if (rightAlone && (modifiers & Qt::ControlModifier)) {
        switchStates(0, project->titleCount() - 1);
        refresh();
        emit titlesChanged();
        return;
    }
    const bool chosen = project->select(row);
    if (!chosen && row != project->currentTitle()) {
        return;
    }
    if (chosen || !doubleClick) {
        if (rightAlone) {
            switchStates(row, row);
        }
        refresh();
        emit titleShown();
        return;
    }
    const EditKind kind = editKindAt(pos.x());
    if (kind != kEditNone) {
        openEditor(kind, row);
    }
}

void AETrackListDisplay::mousePressEvent(QMouseEvent* event) {
    mouseDown(event->position().toPoint(), event->buttons(), event->modifiers(), false);
}

void AETrackListDisplay::mouseDoubleClickEvent(QMouseEvent* event) {
    mouseDown(event->position().toPoint(), event->buttons(), event->modifiers(),
              event->button() == Qt::LeftButton);
}

// --- Editing ----------------------------------------------------------------------------

QLineEdit* AETrackListDisplay::editor() const {
    return editor_;
}

void AETrackListDisplay::openEditor(EditKind kind, int32_t row) {
    // One editor at a time: the one open keeps what was typed into it.
    endEdit();
    const AETitle* t = app_.project()->title(row);
    const std::string& text = kind == kEditName     ? t->displayName()
                              : kind == kEditArtist ? t->artist()
                                                    : t->pauseSeconds();
    editor_ = new Editor(*this, QString::fromStdString(text));
    editor_->setGeometry(editRect(kind, row));
    editor_->show();
    editor_->selectAll();
    editor_->setFocus(Qt::MouseFocusReason);
    editKind_ = kind;
    editRow_ = row;
    app_.setInPlaceEditor(editor_);
}

void AETrackListDisplay::endEdit() {
    if (!editor_) {
        return;
    }
    Editor* editor = std::exchange(editor_, nullptr);
    const std::string text = editor->text().toStdString();
    AEProject* project = app_.project();
    AETitle* t = project ? project->title(editRow_) : nullptr;
    if (t) {
        switch (editKind_) {
        case kEditName:
            t->setDisplayName(text);
            break;
        case kEditPause:
            t->setPauseSeconds(text);
            editor->setText(QString::fromStdString(t->pauseSeconds()));
            break;
        case kEditArtist:
            t->setArtist(text);
            break;
        default:
            break;
        }
    }
    if (app_.inPlaceEditor() == editor) {
        app_.setInPlaceEditor(nullptr);
    }
    editKind_ = kEditNone;
    editRow_ = -1;
    editor->hide();
    // The editor may be in the middle of its own event.
    editor->deleteLater();
    refresh();
    if (t) {
        emit titlesChanged();
    }
}

// --- Dropping files ---------------------------------------------------------------------

bool AETrackListDisplay::acceptsDrop() const {
    return app_.project() && !app_.isBusy() && !importList_.adding &&
           !app_.engine().isPlayingOrRecording();
}

bool AETrackListDisplay::dropFiles(const std::vector<std::string>& paths) {
    if (!acceptsDrop()) {
        return false;
    }
    // Titles are about to be added: an edit under way ends first.
    endEdit();
    AEWaveImport::fillImportList(paths, importList_);
    if (importList_.pending() == 0) {
        return false;
    }
    adding_.reset();
    emit importStarted();
    importList_.adding = true;
    report_ = {};
    adding_ = AEAddToProject::start(*app_.project(), app_.fileManager(), importList_, &report_);
    return true;
}

void AETrackListDisplay::waitForAdding() {
    if (adding_) {
        adding_->wait();
    }
}

void AETrackListDisplay::dragEnterEvent(QDragEnterEvent* event) {
    dragMoveEvent(event);
}

void AETrackListDisplay::dragMoveEvent(QDragMoveEvent* event) {
    if (acceptsDrop() && hasLocalFiles(event->mimeData())) {
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
}

void AETrackListDisplay::dropEvent(QDropEvent* event) {
    std::vector<std::string> paths;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) {
            paths.push_back(url.toLocalFile().toStdString());
        }
    }
    if (dropFiles(paths)) {
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
}
