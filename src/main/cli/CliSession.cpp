#include "CliSession.h"

#include "AERecordingJournal.h"

#include "CliCommand.h"

#include "FMessageQueue.h"

#include <cstdio>

namespace {

// Message boxes become lines on standard error; questions are answered No, so batch work
// never deletes or replaces anything on its own.
class StderrDialogs : public AEDialogs {
public:
    void alert(const std::string& text, bool) override {
        std::string line = text;
        for (auto& c : line) {
            if (c == '\n') {
                c = ' ';
            }
        }
        std::fprintf(stderr, "gleam-cli: %s\n", line.c_str());
    }
    bool askYesNo(const std::string&) override { return false; }
};

int qtArgc = 1;
char qtName[] = "gleam-cli";
char* qtArgv[] = {qtName, nullptr};

} // namespace

CliSession::CliSession(bool quiet) : quiet_(quiet) {
    if (!QCoreApplication::instance()) {
        qt_ = std::make_unique<QCoreApplication>(qtArgc, qtArgv);
    }
    app_ = std::make_unique<AEApplication>();
    app_->setSaveSettingsAtExit(false);
    dialogs_ = std::make_unique<StderrDialogs>();
    app_->setDialogs(dialogs_.get());
    app_->setProgressObserver([this](int64_t value, int64_t maximum) {
        if (value < 0) {
            Cli::progressDone(quiet_);
        } else {
            Cli::progress(label_.c_str(), value, maximum, quiet_);
        }
    });
    // A recording cut off by a crash gets its header back before anything opens it.
    AERecordingJournal::recover();
}

CliSession::~CliSession() {
    deliver();
    app_->setProgressObserver({});
    app_->setDialogs(nullptr);
    app_.reset();
}

void CliSession::deliver() {
    FMessageQueue::deliverPending();
}
