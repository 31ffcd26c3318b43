#pragma once

#include "FShared.h"

#include <string>

// A file path, shared between the objects that name the same file. Paths use "/" as the
// separator; the file-name part is the text after the last "/", the extension the text
// after the last "." of the file-name part.
class FNPath : public FShared {
public:
    FNPath() = default;
    explicit FNPath(std::string text) : text_(std::move(text)) {}

    const std::string& text() const { return text_; }
    const char* c_str() const { return text_.c_str(); }
    void setText(std::string text) { text_ = std::move(text); }
    bool empty() const { return text_.empty(); }

    // The text after the last "/" (the whole text without one).
    std::string fileName() const;
    // Everything up to and including the last "/" ("" without one).
    std::string directory() const;
    // The extension without its dot, "" when the file name has none.
    std::string extension() const;
    // Replaces the file-name part, keeping the directory.
    void setFileName(const std::string& name);
    // The path with its last extension replaced (or added): "a.b.wav" → "a.b.pk".
    std::string withExtension(const std::string& extension) const;

private:
    std::string text_;
};
