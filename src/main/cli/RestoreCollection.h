#pragma once

#include <string>
#include <vector>

// gleam-cli restore IN... --out-dir DIR: many files, and folders taken recursively, each
// restored into DIR under the same name, as cp -r copies them (a folder's files under the
// same paths below DIR/folder), by a
// gleam-cli restore of its own, up to `jobs` at once. A file whose output exists is done
// already, so a stopped run starts again where it was; every output is written under a
// temporary name and moved into place, and each restore appends its line to
// DIR/gleam-restore.jsonl.
namespace RestoreCollection {

// One file of the collection and where its restored copy goes.
struct Item {
    std::string input;
    std::string output;
};

// The files of `inputs` (files as they are; in folders, the audio files the import takes,
// in name order, DIR itself left out) with their outputs in `outDir`. An output keeps its
// input's name; a format that restore does not write (Ogg, Opus, MP3) becomes FLAC. False
// after printing why when an input is neither a file nor a folder, or two inputs would
// share an output, or an output would be its own input.
bool plan(const std::vector<std::string>& inputs, const std::string& outDir,
          std::vector<Item>& items);

// Restores the items whose output does not exist yet, running this program as
// `restore IN OUT --quiet --manifest DIR/gleam-restore.jsonl` followed by `options` (the
// controls and the mode) for each, `jobs` at a time. An output found without a line gets
// a line saying it was there already. Ctrl-C stops the restores under way, which leave
// nothing behind. Returns the exit status: 0 when every file is restored.
int run(const std::vector<Item>& items, const std::string& outDir,
        const std::vector<std::string>& options, int jobs, bool quiet);

} // namespace RestoreCollection
