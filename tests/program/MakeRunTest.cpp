// `make run` without a display: one line saying so, then gleam-cli records a worn record
// through the virtual sound card, restores it, builds a project of both and prints the
// title list, naming the files it wrote.
#include "AEFileManager.h"
#include "AEProject.h"
#include "AudioTestSupport.h"
#include "support/CliRun.h"
#include "support/TestDirs.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

namespace {

using TestCli::CliRun;
using TestCli::contains;

CliRun runGleam(const std::string& demoDir) {
    // No display, and the demo brings its own sound card whatever the caller's settings say.
    return TestCli::run(
        GLEAM_RUN_SCRIPT, {GLEAM_BUILD_DIR},
        TestCli::environment({"DISPLAY", QString(), "WAYLAND_DISPLAY", QString(), "GLEAM_AUDIO",
                              QString(), "GLEAM_DEMO_DIR", QString::fromStdString(demoDir)}));
}

// Sample-to-sample jumps above a quarter of full scale on the left channel of a 16-bit
// stereo file: what clicks look like in music that moves far less from one sample to the
// next.
int32_t bigJumps(const std::string& path) {
    const std::vector<int16_t> samples = AudioTest::readStereo16(path);
    int32_t jumps = 0;
    for (size_t i = 2; i < samples.size(); i += 2) {
        jumps += std::abs(samples[i] - samples[i - 2]) > 8192 ? 1 : 0;
    }
    return jumps;
}

const char* const kWritten[] = {"turntable.wav", "recording.wav", "recording.pk", "restored.wav",
                                "restored.pk",   "demo.dat",      "tracklist.txt"};

} // namespace

TEST(MakeRun, WithoutADisplayTheCoreShowsItsWork) {
    TestDir dir;
    const std::string demo = dir.file("demo");
    const CliRun run = runGleam(demo);
    ASSERT_EQ(run.code, 0) << run.out << run.err;
    EXPECT_EQ(run.out.rfind("No display", 0), 0u) << run.out;
    EXPECT_FALSE(contains(run.out, "\nNo display")) << "said once";

    for (const char* name : kWritten) {
        const std::string path = demo + "/" + name;
        EXPECT_TRUE(std::filesystem::is_regular_file(path)) << path;
        EXPECT_GT(std::filesystem::file_size(path), 0u) << path;
        EXPECT_TRUE(contains(run.out, path)) << "names " << path;
    }

    // A recording of ten seconds (whole buffers), restored to the same length.
    const int32_t recorded = AEFileManager::framesOf(demo + "/recording.wav");
    EXPECT_GE(recorded, 10 * 44100);
    EXPECT_LT(recorded, 11 * 44100);
    EXPECT_EQ(AEFileManager::framesOf(demo + "/restored.wav"), recorded);
    const int32_t clicksBefore = bigJumps(demo + "/recording.wav");
    const int32_t clicksAfter = bigJumps(demo + "/restored.wav");
    EXPECT_GE(clicksBefore, 20) << "the worn record has its clicks";
    EXPECT_LT(clicksAfter * 4, clicksBefore) << "most of them are gone";

    // The project and the title list it printed.
    std::unique_ptr<AEProject> project = AEProject::load(demo + "/demo.dat");
    ASSERT_NE(project, nullptr);
    ASSERT_EQ(project->titleCount(), 2);
    EXPECT_TRUE(contains(run.out, "01\tWorn record, as recorded")) << run.out;
    EXPECT_TRUE(contains(run.out, "02\tWorn record, restored")) << run.out;
    EXPECT_TRUE(contains(run.out, "Remaining\t79:"));
    std::ifstream list(demo + "/tracklist.txt");
    std::string text((std::istreambuf_iterator<char>(list)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("Worn record, restored"), std::string::npos) << text;
}

TEST(MakeRun, ASecondRunReplacesItsFilesAndKeepsOthers) {
    TestDir dir;
    const std::string demo = dir.file("demo");
    std::filesystem::create_directories(demo);
    const std::string mine = demo + "/notes.txt";
    std::ofstream(mine) << "the user's own file\n";
    ASSERT_EQ(runGleam(demo).code, 0);
    const CliRun again = runGleam(demo);
    ASSERT_EQ(again.code, 0) << again.err;
    std::unique_ptr<AEProject> project = AEProject::load(demo + "/demo.dat");
    ASSERT_NE(project, nullptr);
    EXPECT_EQ(project->titleCount(), 2) << "a new project, not one grown by the last run";
    EXPECT_TRUE(std::filesystem::exists(mine));
}
