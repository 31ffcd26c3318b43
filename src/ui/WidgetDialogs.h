#pragma once

#include "AEUserInterface.h"

#include <memory>

class QMessageBox;

// Message boxes of the window program, caption "Gleam!".
class WidgetDialogs : public AEDialogs {
public:
    void alert(const std::string& text, bool owned) override;
    bool askYesNo(const std::string& text) override;
    // The box askYesNo shows, its answers in the program's language.
    static std::unique_ptr<QMessageBox> questionBox(const std::string& text);
};
