#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The names and lists of an exported album: each title's file "NN - Title.ext", made safe
// for every common file system, and the playlist (M3U8) and cue sheet that name the files
// in order.
namespace AEAlbumFiles {

constexpr const char* kPlaylistName = "playlist.m3u8";
constexpr const char* kCueName = "album.cue";

// `text` as a name that every common file system takes: characters that one of them
// refuses (/ \ : * ? " < > | and control characters) become "_", leading dots and blanks
// and trailing dots and blanks go, and it stays within `maxBytes` without cutting a UTF-8
// character; an empty name is called `empty`.
std::string safeName(const std::string& text, size_t maxBytes, const char* empty);
// "NN - Title.ext" (NN the track number, two digits), made safe, within 200 bytes; an
// empty title is called "Title".
std::string fileName(int32_t track, const std::string& title, const std::string& extension);

struct Track {
    std::string fileName;
    std::string title;
    std::string artist;
    int64_t frames = 0; // at 44 100 Hz
};

// An extended M3U playlist in UTF-8: length, artist and title of each file, then its name.
std::string playlist(const std::vector<Track>& tracks);
// A cue sheet with one FILE per track (type MP3 for MP3 files, WAVE otherwise), titled
// with the album; a performer for the whole album when all tracks share one artist.
std::string cueSheet(const std::string& album, const std::vector<Track>& tracks, bool mp3);

} // namespace AEAlbumFiles
