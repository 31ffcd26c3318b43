#pragma once

// Helpers of the processing and normalizing run tests: reading a result back, titles made from
// generated audio, the files of a folder.

#include "AEAudiofile.h"
#include "AEProject.h"
#include "ProjectTestSupport.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace RunTest {

// All frames of a file as interleaved 16-bit stereo; empty when it cannot be read.
inline std::vector<int16_t> readStereo(const std::string& path) {
    AEAudiofile file(path);
    if (!file.openForRead()) {
        return {};
    }
    std::vector<int16_t> samples(2 * static_cast<size_t>(file.getLength()));
    if (!samples.empty() && file.readStereo(samples.data(), file.getLength()) != file.getLength()) {
        return {};
    }
    return samples;
}

// Adds a title for a new file `name`.wav in `directory` holding `samples`, as an import
// does (no trim, no fades, all switches off).
inline AETitle& importTitle(AEProject& project, const std::string& directory,
                            const std::string& name, const std::vector<int16_t>& samples) {
    const std::string path = directory + "/" + name + ".wav";
    ProjectTest::writeWaveSamples(path, samples);
    project.addImportedFile(path);
    return *project.title(project.titleCount() - 1);
}

// Switches stage `slot` of the title on with slider position `position`.
inline void setStage(AETitle& title, int slot, int32_t position) {
    title.setProcessorParam(slot, position);
    title.setProcessorEnabled(slot, true);
}

// The names of the files in `directory`, sorted.
inline std::vector<std::string> filesIn(const std::string& directory) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(directory)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace RunTest
