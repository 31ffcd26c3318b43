#pragma once

#include <set>
#include <string>

// The record of a collection restore: DIR/gleam-restore.jsonl, one JSON object per line
// and per file (input, output, settings, mode, repairs, seconds). Lines are appended whole
// under an exclusive lock, so runs side by side (jobs, or machines sharing the folder)
// never mix their lines.
namespace RestoreManifest {

constexpr const char* kFileName = "gleam-restore.jsonl";

// `text` as a JSON string, quotes included.
std::string jsonString(const std::string& text);

// The "output" names of the lines of `manifestPath` (none when it does not exist yet). A
// line cut short by a crash is ignored.
std::set<std::string> outputs(const std::string& manifestPath);

// The name a line gives `output`: relative to the manifest's folder when inside it.
std::string outputName(const std::string& manifestPath, const std::string& output);

// Appends `line` (without its line end) and syncs it to disk; false when it cannot.
bool append(const std::string& manifestPath, const std::string& line);

} // namespace RestoreManifest
