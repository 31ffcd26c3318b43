#include "AEWindowApplication.h"

#include "AERecordingJournal.h"

#include "AEMainWindow.h"

#include <QGuiApplication>
#include <QScreen>

AEWindowApplication::AEWindowApplication(std::string commandLine)
    : AEApplication(std::move(commandLine)) {}

AEWindowApplication::~AEWindowApplication() {
    setMainWindow(nullptr);
    window_.reset();
}

int32_t AEWindowApplication::screenBitsPerPixel() const {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->depth() : 0;
}

void AEWindowApplication::openMainWindow() {
    window_ = std::make_unique<AEMainWindow>(*this);
    setMainWindow(window_.get());
    windowMade(*window_);
    window_->centreOnScreen();
    window_->show();
    // A recording cut off by a crash gets its header back before anything opens it.
    AERecordingJournal::recover();
}
