#pragma once

#include "AERunResult.h"

#include <cstdint>
#include <string>
#include <vector>

class AEProject;

// What a run over several titles came to, title by title in the order given.
struct AETitleRunsSummary {
    std::vector<AERunResult> results;
    bool cancelled = false;

    int32_t count(AERunResult result) const;
};

// The work of the thread that processes titles for the window (the current title, or all
// in order): clears the cancel flag, runs processTitle for each of `indices`, up to `jobs`
// titles at once (each run has its own processors, so the files are the same whatever
// `jobs` is), with one progress display for all. As each title is done: message 22, its
// length from its new file, message 21. At the end: message 22, then 11, or 26 when the
// user cancelled. A title that fails is reported and the others go on, except that no new
// title starts once the disk is full or the user cancelled.
AETitleRunsSummary processTitles(AEProject& project, const std::string& projectPath,
                                 const std::vector<int32_t>& indices, int32_t jobs = 1);

// The same for normalizing, one title after the other, each with its own progress.
AETitleRunsSummary normalizeTitles(AEProject& project, const std::string& projectPath,
                                   const std::vector<int32_t>& indices);

// Every title of the project, in order.
std::vector<int32_t> allTitles(const AEProject& project);
