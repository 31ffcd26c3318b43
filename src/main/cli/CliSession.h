#pragma once

#include "AEApplication.h"

#include <QCoreApplication>

#include <memory>
#include <string>

// The application as gleam-cli needs it for one command: strings in the user's language,
// messages (delivered when the command calls deliver()), the progress bar on standard
// error, message boxes as lines on standard error, and the user's stored settings left
// untouched at exit. Make one per command, on the main thread.
class CliSession {
public:
    explicit CliSession(bool quiet);
    ~CliSession();
    CliSession(const CliSession&) = delete;
    CliSession& operator=(const CliSession&) = delete;

    AEApplication& app() { return *app_; }
    // The label shown before the progress bar.
    void setProgressLabel(std::string label) { label_ = std::move(label); }
    // Starts the audio algorithm library; false after printing why.
    bool startAlgorithmLibrary() { return app_->startAlgorithmLibrary(); }
    // Handles the application messages posted so far.
    void deliver();

private:
    std::unique_ptr<QCoreApplication> qt_;
    std::unique_ptr<AEApplication> app_;
    std::unique_ptr<AEDialogs> dialogs_;
    std::string label_;
    bool quiet_;
};
