#pragma once

#include "AEApplication.h"
#include "AEMainWindow.h"
#include "UiTestSupport.h"
#include "support/TestDirs.h"

#include <gtest/gtest.h>

#include <memory>

// The application and its main window as a widget test drives them: message boxes and
// file dialogs are answered by the test, files go to a folder of the test's own.
class MainWindowTestFixture : public ::testing::Test {
protected:
    // `open`: run the start-up checks first, so the engine and its sound card run.
    void makeWindow(bool open) {
        widgetTestApp();
        app_ = std::make_unique<AEApplication>();
        app_->setSaveSettingsAtExit(false);
        app_->setDialogs(&dialogs_);
        if (open) {
            ASSERT_TRUE(app_->open());
        }
        window_ = std::make_unique<AEMainWindow>(*app_);
        window_->setFileChooser(std::make_unique<ScriptedChooser>(chooser_));
        app_->setMainWindow(window_.get());
    }
    void TearDown() override {
        app_->setMainWindow(nullptr);
        window_.reset();
        app_->setDialogs(nullptr);
        app_.reset();
    }

    TestDir dir_;
    ScriptedDialogs dialogs_;
    ScriptedChooser::Shared chooser_;
    std::unique_ptr<AEApplication> app_;
    std::unique_ptr<AEMainWindow> window_;
};
