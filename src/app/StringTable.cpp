#include "StringTable.h"

#include <QFile>

#include <cstdlib>
#include <sstream>

namespace {

std::string unescape(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            char next = text[++i];
            out += next == 'n' ? '\n' : next == 't' ? '\t' : next;
        } else {
            out += text[i];
        }
    }
    return out;
}

} // namespace

bool StringTable::parse(const std::string& table, int32_t offset,
                        std::unordered_map<int32_t, std::string>& out) {
    std::istringstream lines(table);
    std::string line;
    bool ok = true;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.empty() || line[0] == '#') {
            continue;
        }
        auto tab = line.find('\t');
        char* end = nullptr;
        long id = std::strtol(line.c_str(), &end, 10);
        if (tab == std::string::npos || end != line.c_str() + tab) {
            ok = false;
            continue;
        }
        out[static_cast<int32_t>(id) + offset] = unescape(line.substr(tab + 1));
    }
    return ok;
}

StringTable::StringTable() {
    const struct {
        const char* resource;
        int32_t offset;
    } languages[] = {{":/strings/en.tsv", kEnglish},
                     {":/strings/de.tsv", kGerman},
                     {":/strings/ja.tsv", kJapanese},
                     {":/strings/fr.tsv", kFrench}};
    for (const auto& language : languages) {
        QFile file(QString::fromLatin1(language.resource));
        if (file.open(QIODevice::ReadOnly)) {
            parse(file.readAll().toStdString(), language.offset, texts_);
        }
    }
}

const StringTable& StringTable::instance() {
    static const StringTable table;
    return table;
}

const std::string* StringTable::find(int32_t id) const {
    auto it = texts_.find(id);
    return it == texts_.end() ? nullptr : &it->second;
}
