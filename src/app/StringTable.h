#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>

// The program's texts in four languages, compiled into the program from
// resources/strings/<lang>.tsv. Each table holds the English ids 3000 to 3136 and the
// ones added later above them (below 4000); a text is found under its id plus the
// language offset: 0 English, 1000 German, 3000 Japanese, 6000 French.
class StringTable {
public:
    static constexpr int32_t kFirstId = 3000;
    static constexpr int32_t kLastId = 3136;
    static constexpr int32_t kEnglish = 0;
    static constexpr int32_t kGerman = 1000;
    static constexpr int32_t kJapanese = 3000;
    static constexpr int32_t kFrench = 6000;

    // The tables of all four languages, loaded once.
    static const StringTable& instance();

    // The text of a language-adjusted id, or null when there is none.
    const std::string* find(int32_t id) const;
    size_t size() const { return texts_.size(); }

    // Parses one table ("id<TAB>text" lines, "#" comments, \n \t \\ escapes) into `out`
    // under id + offset; false when a line is malformed.
    static bool parse(const std::string& table, int32_t offset,
                      std::unordered_map<int32_t, std::string>& out);

private:
    StringTable();
    std::unordered_map<int32_t, std::string> texts_;
};
