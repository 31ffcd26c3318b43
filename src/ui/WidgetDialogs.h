#pragma once

#include "AEUserInterface.h"

// Message boxes of the window program, caption "Gleam!".
class WidgetDialogs : public AEDialogs {
public:
    void alert(const std::string& text, bool owned) override;
    bool askYesNo(const std::string& text) override;
};
