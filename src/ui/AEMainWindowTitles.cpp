// The main window's title list and waveform: placing them in the main view and keeping
// them in step with the project.
#include "AEMainWindow.h"

#include "AEApplication.h"
#include "AEDialogCommands.h"
#include "AEMainView.h"
#include "AETrackListDisplay.h"
#include "AEWaveformPanel.h"
#include "AEWaveformView.h"

#include <QFrame>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {

// Fills a place of the main view with `widget`, edge to edge.
void fill(QFrame* place, QWidget* widget) {
    auto* layout = new QVBoxLayout(place);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->setSpacing(0);
    layout->addWidget(widget);
}

} // namespace

void AEMainWindow::buildTitleViews() {
    trackList_ = new AETrackListDisplay(app_, dialogCommands_->importList());
    auto* scroll = new QScrollArea;
    scroll->setWidget(trackList_);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    scroll->setStyleSheet(QStringLiteral("QScrollArea { background: #111317; }"));
    fill(view_->titleListPlace(), scroll);
    waveformPanel_ = new AEWaveformPanel(app_);
    fill(view_->waveformPlace(), waveformPanel_);

    connect(trackList_, &AETrackListDisplay::titleShown, this, [this] { currentTitleChanged(); });
    connect(trackList_, &AETrackListDisplay::titlesChanged, this, [this] {
        refreshTitleViews();
        refreshRemainingTime();
    });
    connect(trackList_, &AETrackListDisplay::importStarted, this,
            [this] { refreshRemainingTime(); });
    connect(&waveform(), &AEWaveformView::pointsChanged, this, [this] {
        trackList_->refresh();
        refreshRemainingTime();
    });
}

AEWaveformView& AEMainWindow::waveform() const {
    return waveformPanel_->view();
}

void AEMainWindow::refreshTitleViews() {
    trackList_->refresh();
    waveform().refresh();
}
