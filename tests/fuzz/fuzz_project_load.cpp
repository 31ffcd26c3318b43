// libFuzzer target: the project file reader. Any input gives a project or none, never a
// crash or a read outside a buffer; a project read holds at most 99 titles numbered by
// their positions; and writing what was read is stable: write(read(write(read(x)))) is
// byte for byte write(read(x)). The whole load, with the title checks, runs as well.
#include "AEProject.h"
#include "AEProjectFile.h"
#include "FuzzAudioFile.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

void require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "property violated: %s\n", what);
        std::abort();
    }
}

std::string contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = FuzzAudioFile::inputPath("dat");
    static const std::string first = path + ".1.dat";
    static const std::string second = path + ".2.dat";
    FuzzAudioFile::writeInput(path, data, size);

    std::string error;
    auto project = AEProjectFile::read(path, error);
    require(project != nullptr || !error.empty(), "a refused file without a reason");
    if (project) {
        require(project->titleCount() <= AEProject::kMaxTitles, "more than 99 titles");
        for (int32_t i = 0; i < project->titleCount(); ++i) {
            require(project->fileIndex(i) == i, "a title not numbered by its position");
        }
        require(AEProjectFile::write(*project, first), "a project read cannot be written");
        auto again = AEProjectFile::read(first, error);
        require(again != nullptr, "a written project cannot be read");
        require(again->titleCount() == project->titleCount(), "titles lost in writing");
        require(AEProjectFile::write(*again, second), "a project read back cannot be written");
        require(contents(first) == contents(second), "writing what was read is not stable");
    }
    AEProject::LoadReport report;
    auto loaded = AEProject::load(path, &report);
    require((loaded != nullptr) == (project != nullptr), "load and read disagree");
    return 0;
}
