// Writes the seed files of the project and peak fuzz targets: project files as the program
// saves them (empty, a few titles with every field set, long UTF-8 texts) and small peak
// files. Usage: make_project_seeds PROJECT_DIR PEAK_DIR
#include "AEProject.h"

#include <cstdio>
#include <fstream>
#include <string>

namespace {

bool titled(const std::string& path, int32_t titles, const std::string& text) {
    AEProject project;
    project.setProjectTitle(text);
    project.setBaseDirectory("/home/user/Records/");
    for (int32_t i = 0; i < titles; ++i) {
        project.addTitle(true);
        AETitle& title = *project.title(i);
        title.setAudioBase("/home/user/Records/Title_0" + std::to_string(i));
        title.setDisplayName(text + " " + std::to_string(i));
        title.setPauseSeconds(std::to_string(i % 5));
        title.setProcessedPath(i % 2 ? "/out/x.p.wav" : AETitle::kNotProcessed);
        title.setStateCode(i % 2 ? 3 : 0);
        for (int slot = 0; slot < AETitle::kSlots; ++slot) {
            title.setProcessorParam(slot, 170000 * slot + i);
            title.setProcessorEnabled(slot, (slot + i) % 2 == 0);
        }
    }
    bool written = false;
    project.save(path, &written);
    return written;
}

bool bytes(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    return static_cast<bool>(out);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_project_seeds PROJECT_DIR PEAK_DIR\n");
        return 2;
    }
    const std::string projects = argv[1];
    const std::string peaks = argv[2];
    const bool ok =
        titled(projects + "/empty.dat", 0, "No CD title.") &&
        titled(projects + "/three.dat", 3, "Sunday") &&
        titled(projects + "/long.dat", 1, std::string(300, 'x') + "Grüße ♪") &&
        bytes(peaks + "/40.pk", std::string("\x80\x7f\x80\x7f", 4) + std::string(36, '\x01')) &&
        bytes(peaks + "/5.pk", "\xf0\x10\xe0\x20\x00");
    if (!ok) {
        std::fprintf(stderr, "make_project_seeds: could not write the seed files\n");
        return 1;
    }
    return 0;
}
