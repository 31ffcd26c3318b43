#include "RestoreManifest.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The value of the string field `"output":` of a line written by this program, unescaped;
// empty when the line has none or ends inside it.
std::string outputField(const std::string& line) {
    constexpr const char* kKey = "\"output\":\"";
    const size_t at = line.find(kKey);
    if (at == std::string::npos) {
        return "";
    }
    std::string value;
    for (size_t i = at + std::char_traits<char>::length(kKey); i < line.size(); ++i) {
        const char c = line[i];
        if (c == '"') {
            return value;
        }
        if (c != '\\') {
            value += c;
            continue;
        }
        if (++i >= line.size()) {
            break;
        }
        switch (line[i]) {
        case 'n':
            value += '\n';
            break;
        case 't':
            value += '\t';
            break;
        case 'r':
            value += '\r';
            break;
        case 'u':
            if (i + 4 >= line.size()) {
                return "";
            }
            value += static_cast<char>(std::stoi(line.substr(i + 1, 4), nullptr, 16));
            i += 4;
            break;
        default:
            value += line[i];
        }
    }
    return "";
}

} // namespace

namespace RestoreManifest {

std::string jsonString(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
                out += escaped;
            } else {
                out += c;
            }
        }
    }
    return out + "\"";
}

std::set<std::string> outputs(const std::string& manifestPath) {
    std::set<std::string> names;
    std::ifstream in(manifestPath);
    std::string line;
    while (std::getline(in, line)) {
        // Only a whole line counts: one written to its end closes its object.
        if (!line.empty() && line.back() == '}') {
            const std::string name = outputField(line);
            if (!name.empty()) {
                names.insert(name);
            }
        }
    }
    return names;
}

std::string outputName(const std::string& manifestPath, const std::string& output) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path folder = fs::absolute(fs::path(manifestPath), error).parent_path();
    const fs::path file = fs::absolute(fs::path(output), error).lexically_normal();
    const fs::path relative = file.lexically_relative(folder);
    if (relative.empty() || *relative.begin() == "..") {
        return file.string();
    }
    return relative.string();
}

bool append(const std::string& manifestPath, const std::string& line) {
    const int fd = ::open(manifestPath.c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        return false;
    }
    bool ok = ::flock(fd, LOCK_EX) == 0;
    const std::string whole = line + "\n";
    // A line written after a crash cut the last one short starts on a line of its own.
    struct stat info {};
    if (ok && ::fstat(fd, &info) == 0 && info.st_size > 0) {
        char last = '\n';
        if (::pread(fd, &last, 1, info.st_size - 1) == 1 && last != '\n') {
            ok = ::write(fd, "\n", 1) == 1;
        }
    }
    ok = ok && ::write(fd, whole.data(), whole.size()) == static_cast<ssize_t>(whole.size()) &&
         ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

} // namespace RestoreManifest
