#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Where the user manual is: one HTML file a language (en.html, de.html, fr.html, ja.html)
// in a manual folder. An installed program has it under its prefix, in
// share/doc/gleam/manual beside the bin folder it runs from (or under the prefix the build
// was configured for, should the program have been moved alone); a program run from its
// build tree (`make run`) reads the source tree's resources/manual.
class ManualLocation {
public:
    // The folders looked in, in order, for a program that runs from `programDirectory`.
    static std::vector<std::string> folders(const std::string& programDirectory);
    // The manual's file name in the language of a string table offset (English for any
    // other offset).
    static std::string fileName(int32_t languageOffset);
    // The manual of the first of `folders` that holds one: in the language, else in
    // English (an installed manual wins over the source tree's); "" when none does.
    static std::string find(const std::vector<std::string>& folders, int32_t languageOffset);
};
