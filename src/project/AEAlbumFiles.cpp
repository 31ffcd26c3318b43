#include "AEAlbumFiles.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

constexpr size_t kMaxNameBytes = 200;

// Cue sheets have no escapes: a quote inside a text would end it.
std::string cueText(const std::string& text) {
    std::string out = text;
    std::replace(out.begin(), out.end(), '"', '\'');
    return "\"" + out + "\"";
}

} // namespace

namespace AEAlbumFiles {

std::string safeName(const std::string& text, size_t maxBytes, const char* empty) {
    std::string safe;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        safe += byte < 0x20 || byte == 0x7F || std::strchr("/\\:*?\"<>|", c) ? '_' : c;
    }
    safe.erase(0, safe.find_first_not_of(". "));
    if (safe.size() > maxBytes) {
        size_t cut = maxBytes;
        while (cut > 0 && (static_cast<unsigned char>(safe[cut]) & 0xC0) == 0x80) {
            --cut;
        }
        safe.resize(cut);
    }
    safe.erase(safe.find_last_not_of(". ") + 1);
    return safe.empty() ? empty : safe;
}

std::string fileName(int32_t track, const std::string& title, const std::string& extension) {
    char number[8];
    std::snprintf(number, sizeof number, "%02d - ", track);
    // Room for the number and the extension.
    const size_t room = kMaxNameBytes - std::strlen(number) - extension.size() - 1;
    return number + safeName(title, room, "Title") + "." + extension;
}

std::string playlist(const std::vector<Track>& tracks) {
    std::string out = "#EXTM3U\n";
    for (const Track& track : tracks) {
        out += "#EXTINF:" + std::to_string((track.frames + 22050) / 44100) + "," + track.artist +
               " - " + track.title + "\n" + track.fileName + "\n";
    }
    return out;
}

std::string cueSheet(const std::string& album, const std::vector<Track>& tracks, bool mp3) {
    std::string out;
    const bool oneArtist =
        !tracks.empty() && std::all_of(tracks.begin(), tracks.end(), [&](const Track& track) {
            return track.artist == tracks.front().artist;
        });
    if (oneArtist) {
        out += "PERFORMER " + cueText(tracks.front().artist) + "\n";
    }
    out += "TITLE " + cueText(album) + "\n";
    for (size_t i = 0; i < tracks.size(); ++i) {
        char number[8];
        std::snprintf(number, sizeof number, "%02d", static_cast<int>(i + 1));
        out += "FILE " + cueText(tracks[i].fileName) + (mp3 ? " MP3\n" : " WAVE\n");
        out += std::string("  TRACK ") + number + " AUDIO\n";
        out += "    TITLE " + cueText(tracks[i].title) + "\n";
        out += "    PERFORMER " + cueText(tracks[i].artist) + "\n";
        out += "    INDEX 01 00:00:00\n";
    }
    return out;
}

} // namespace AEAlbumFiles
