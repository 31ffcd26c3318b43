#pragma once

#include "FShared.h"

#include <string>

// A shared text, for handing a text to another thread inside a message.
class FString : public FShared {
public:
    explicit FString(std::string text) : text_(std::move(text)) {}
    const std::string& text() const { return text_; }

private:
    std::string text_;
};
