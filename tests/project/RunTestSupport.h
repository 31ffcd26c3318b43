#pragma once

// Helpers of the project tests: reading a result back, titles made from generated audio,
// counting in a program's output, the files of a folder.

#include "AEAudiofile.h"
#include "AEProject.h"
#include "ProjectTestSupport.h"
#include "TitleFormatReader.h"

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

// Mono samples as interleaved stereo, the same on both channels.
inline std::vector<int16_t> bothChannels(const std::vector<int16_t>& mono) {
    std::vector<int16_t> stereo;
    for (int16_t sample : mono) {
        stereo.insert(stereo.end(), {sample, sample});
    }
    return stereo;
}

// An audio file decoded as the import decodes it (44 100 Hz 16-bit stereo, a WAVE file
// of that format bit for bit); empty when it cannot be read.
inline std::vector<int16_t> decoded(const std::string& path) {
    TitleFormatReader reader;
    if (!reader.open(path)) {
        return {};
    }
    std::vector<int16_t> all(2 * static_cast<size_t>(reader.frames()));
    for (size_t at = 0; at < all.size();) {
        const auto want = static_cast<int32_t>(
            std::min<size_t>(TitleFormatReader::kMaxBlock, (all.size() - at) / 2));
        const int32_t got = reader.read(all.data() + at, want);
        if (got <= 0) {
            return {};
        }
        at += 2 * static_cast<size_t>(got);
    }
    return all;
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

// How often `part` occurs in `text`, and the lines of `text`.
inline int count(const std::string& text, const std::string& part) {
    int n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++n;
    }
    return n;
}
inline int lines(const std::string& text) {
    return count(text, "\n");
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
