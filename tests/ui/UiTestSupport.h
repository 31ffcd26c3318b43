#pragma once

#include "AEUserInterface.h"
#include "FileChooser.h"

#include <QApplication>

#include <deque>
#include <string>
#include <vector>

// The one QApplication of a widget test program. It lives until the process ends: a
// QApplication destroyed among the exit handlers outlives parts of Qt it still needs.
inline QApplication& widgetTestApp() {
    static int argc = 1;
    static char name[] = "gleam-ui-test";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// Message boxes answered by the test: alerts are recorded, questions get `answer`.
class ScriptedDialogs : public AEDialogs {
public:
    void alert(const std::string& text, bool) override { alerts.push_back(text); }
    bool askYesNo(const std::string& text) override {
        questions.push_back(text);
        return answer;
    }
    std::vector<std::string> alerts;
    std::vector<std::string> questions;
    bool answer = true;
};

// File dialogs answered by the test from a queue of paths ("" cancels).
class ScriptedChooser : public FileChooser {
public:
    struct Shared {
        std::deque<QString> answers;
        std::vector<QString> titles;
        std::vector<QString> proposed;
    };
    explicit ScriptedChooser(Shared& shared) : shared_(shared) {}
    QString openFile(QWidget*, const QString& title, const QString& directory,
                     const QString&) override {
        return next(title, directory);
    }
    QString saveFile(QWidget*, const QString& title, const QString& proposedPath, const QString&,
                     const QString&) override {
        return next(title, proposedPath);
    }
    QString folder(QWidget*, const QString& title, const QString& directory) override {
        return next(title, directory);
    }

private:
    QString next(const QString& title, const QString& proposed) {
        shared_.titles.push_back(title);
        shared_.proposed.push_back(proposed);
        if (shared_.answers.empty()) {
            return {};
        }
        QString answer = shared_.answers.front();
        shared_.answers.pop_front();
        return answer;
    }
    Shared& shared_;
};
