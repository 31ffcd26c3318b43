#pragma once

#include <string>

class AEProject;

// Writes a stereo copy of the mono WAVE file `path` into `directory`, both channels
// carrying the mono samples, named after the file with ".stereo.wav" appended
// (song.wav → song.wav.stereo.wav, or song-2.wav.stereo.wav when that name is taken by a
// file or a title of `project`), and replaces `path` by the copy's path.
//
// Refused when the source cannot be read or the copy would not fit with a margin (string
// 3008). The copy is written under a temporary name and moved into place only when
// complete: cancelling (the application's cancel flag), a full disk (string 3008) or any
// other failure returns false, leaves `path` as it was and no partial file behind.
bool convertMonoToStereo(std::string& path, std::string directory,
                         const AEProject* project = nullptr);
