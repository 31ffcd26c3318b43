#pragma once

#include <string>
#include <vector>

// gleam-cli project FILE.dat export-album DIR [--format flac|opus|mp3|wav] [--titles 1,3-5]
// [--loudness LUFS] [--album-gain] [--cover IMAGE] [--overwrite]: the chosen titles (all by
// default) as tagged files "NN - Title.ext" in DIR with a playlist and a cue sheet
// (AEAlbumExport). Files that exist already are named and nothing is written unless
// --overwrite is given. `path` is absolute; `args` follow "export-album".
namespace ProjectCli {
int exportAlbum(const std::string& path, const std::vector<std::string>& args, bool quiet);
} // namespace ProjectCli
