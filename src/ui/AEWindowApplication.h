#pragma once

#include "AEApplication.h"

#include <memory>
#include <string>

class AEMainWindow;

// The application of the window program: its start-up checks also look at the screen's
// colour depth, and they end with the main window shown at its fixed size in the middle
// of the screen.
class AEWindowApplication : public AEApplication {
public:
    explicit AEWindowApplication(std::string commandLine = {});
    // The window goes first: it still reaches the application while it closes.
    ~AEWindowApplication() override;

    AEMainWindow* window() const { return window_.get(); }

protected:
    int32_t screenBitsPerPixel() const override;
    void openMainWindow() override;
    // Called with the new window before it is shown (tests hand it their file chooser).
    virtual void windowMade(AEMainWindow&) {}

private:
    std::unique_ptr<AEMainWindow> window_;
};
