#pragma once

#include <cstdint>
#include <string>

class AEFileManager;
class AEProject;

// The model side of the main window's commands that make or remove title files outside
// the audio engine: naming and preparing a new recorded title, and deleting titles.
namespace AEEditOperations {

// 10 s of audio must fit before a recording starts.
constexpr int64_t kRecordReserveFrames = 441000;

// The base name (path without ".wav") for a new recorded title in `directory`:
// "Title_NN" from `number` on, the first whose ".wav" file is free (AEFileClaim::taken: no
// such file or peak file, no title of `project` refers to it). The number has at least two
// digits and grows past 99 when it must.
std::string makeTitleBaseName(std::string directory, int32_t number,
                              const AEProject* project = nullptr);

// What preparing a recording found.
struct RecordingPlan {
    // 0, or the string shown to refuse: 3000 (99 titles) or 3008 (no room for 10 s).
    int32_t refusal = 0;
    // The new, current title and the file it records into.
    int32_t index = -1;
    std::string path;
    // The frames that fit on the recording drive: the recording stops by itself there.
    int64_t maxRecordFrames = 0;
};
// Adds the title a recording goes into (named by makeTitleBaseName in the base directory,
// artist "recorded", no trim, fades or restoration), makes it current and loads it into
// the engine. Refuses, showing why, at 99 titles or without room for 10 s of audio.
RecordingPlan prepareRecording(AEProject& project, const AEFileManager& files);

// Removes title `index` (and with `deleteFiles` its audio and peak files unless another
// title shares them), then selects the title now at that place, or the last one, and
// loads it into the engine. Returns the title now selected, −1 when none is left (the
// views are then cleared), or −2 when nothing was removed.
int32_t removeTitle(AEProject& project, const AEFileManager& files, int32_t index,
                    bool deleteFiles);

// The main window's delete command: only when the engine is idle, the application is not
// busy and there are titles. Asks the user first (string 3052 when the files go too, 3053
// otherwise; the application is busy meanwhile), then removes the selected title as
// removeTitle does. Returns what removeTitle returns, −2 when nothing was removed.
int32_t deleteSelectedTitle(AEProject& project, const AEFileManager& files, bool deleteFiles);

} // namespace AEEditOperations
