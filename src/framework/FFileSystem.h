#pragma once

#include "FFileStream.h"

#include <memory>
#include <string>

// File system operations of the framework. Streams are owned by the caller; closing is
// destroying the stream (close() is that, spelled out).
namespace FFileSystem {

// Opens an existing regular file; null when it does not exist, is anything else (a folder,
// a FIFO, a device: refused at once, never waited on) or cannot be opened with `mode`.
std::unique_ptr<FFileStream> open(const std::string& path, FAccessMode mode);
// The descriptor of an existing regular file opened with the open(2) `flags` (blocking,
// close-on-exec), or -1 as for open(). For libraries that take a descriptor.
int openRegular(const std::string& path, int flags);
// Creates the file (replacing an existing one) for reading and writing; null on failure.
std::unique_ptr<FFileStream> create(const std::string& path);
void close(std::unique_ptr<FFileStream>& stream);
bool remove(const std::string& path);
// Renames `path` to `newName`: a bare name stays in the same directory, a name with "/"
// is taken as a whole new path. Refuses to replace an existing file.
bool rename(const std::string& path, const std::string& newName);
bool exists(const std::string& path);
// True when `path` names a regular file (after following links).
bool isRegularFile(const std::string& path);
// Size of the stream's file in bytes, or −1.
int64_t size(FFileStream& stream);
// Size of the named file in bytes, or −1.
int64_t size(const std::string& path);

// The program's folder for state between runs: $XDG_STATE_HOME/Gleam (or
// ~/.local/state/Gleam, or /tmp/Gleam without a home), without a trailing "/".
std::string stateDirectory();

} // namespace FFileSystem
