// A user's week through gleam-cli and the virtual sound card: a side recorded, two files
// of one name imported from two folders, a title whose drive goes away and comes back, a
// file cut short by another program, everything processed and exported. After every step
// each title plays its own audio, and no file the program made or was given has changed.
#include "AEProject.h"
#include "support/CliRun.h"

#include "AudioFile.h"
#include "support/TestDirs.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

namespace {

namespace fs = std::filesystem;
using TestCli::cli;
using TestCli::CliRun;
using TestCli::q;

constexpr int32_t kRate = 44100;

uint64_t checksum(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), {}};
    uint64_t hash = 1469598103934665603ULL;
    for (unsigned char c : bytes) {
        hash = (hash ^ c) * 1099511628211ULL;
    }
    return hash;
}

class UsersWeekTest : public ::testing::Test {
protected:
    CliRun gleam(const QStringList& args) {
        return cli(args, {"GLEAM_AUDIO", "virtual", "GLEAM_VIRTUAL_PACE", "fast",
                          "GLEAM_VIRTUAL_INPUT", q(dir.file("turntable.wav")),
                          "GLEAM_VIRTUAL_OUTPUT", q(dir.file("speakers.wav"))});
    }
    CliRun project(QStringList args) {
        args.prepend(q(projectPath));
        args.prepend("project");
        CliRun run = gleam(args);
        EXPECT_EQ(run.code, 0) << args.join(' ').toStdString() << "\n" << run.err;
        return run;
    }
    // Every title's current audio, read through the project file as the program reads it.
    std::vector<std::string> titleFiles() {
        auto loaded = AEProject::load(projectPath);
        std::vector<std::string> files;
        for (int32_t i = 0; loaded && i < loaded->titleCount(); ++i) {
            files.push_back(loaded->currentAudioPath(i));
        }
        return files;
    }
    // The step's check: every title plays a file of its own, and every file seen before
    // that is still there holds what it held.
    void checkFiles(const std::string& step) {
        const auto files = titleFiles();
        std::map<std::string, int> uses;
        for (const auto& f : files) {
            EXPECT_EQ(++uses[f], 1) << step << ": two titles play " << f;
        }
        for (auto& [path, sum] : seen) {
            if (fs::exists(path)) {
                EXPECT_EQ(checksum(path), sum) << step << ": " << path << " changed";
            }
        }
        for (const auto& f : files) {
            if (fs::exists(f)) {
                seen.emplace(f, checksum(f));
            }
        }
    }
    int32_t framesOf(const std::string& path) {
        AudioFile file(path);
        return file.open(FAccessMode::kRead) ? file.frames() : -1;
    }

    TestDir dir;
    std::string projectPath = dir.file("week.dat");
    std::map<std::string, uint64_t> seen;
};

TEST_F(UsersWeekTest, NothingIsEverLostOrOverwritten) {
    fs::create_directories(dir.file("base"));
    for (const char* folder : {"monday", "tuesday", "drive"}) {
        fs::create_directories(dir.file(folder));
    }
    ASSERT_EQ(gleam({"generate", q(dir.file("turntable.wav")), "--seconds", "12"}).code, 0);
    project({"create", "--base", q(dir.file("base"))});

    // Monday: a side recorded from the turntable, then imported.
    const std::string side = dir.file("base/side-a.wav");
    CliRun recorded = gleam({"record", q(side), "--seconds", "9", "--quiet"});
    ASSERT_EQ(recorded.code, 0) << recorded.err;
    project({"import", q(side), "--quiet"});
    checkFiles("recorded");

    // Two different recordings named take.wav (mono: both are copied into the base).
    ASSERT_EQ(
        gleam({"generate", q(dir.file("monday/stereo.wav")), "--seconds", "8", "--seed", "3"}).code,
        0);
    for (const auto& [folder, seed] : {std::pair{"monday", "4"}, std::pair{"tuesday", "5"}}) {
        const std::string stereo = dir.file(std::string(folder) + "/s.wav");
        ASSERT_EQ(gleam({"generate", q(stereo), "--seconds", "8", "--seed", seed}).code, 0);
        ASSERT_EQ(std::system(("sox '" + stereo + "' -c 1 '" + dir.file(folder) +
                               "/take.wav' remix 1 >/dev/null 2>&1")
                                  .c_str()),
                  0);
        project({"import", q(dir.file(folder) + "/take.wav"), "--quiet"});
        checkFiles(std::string("take.wav from ") + folder);
    }
    auto files = titleFiles();
    ASSERT_EQ(files.size(), 3u);
    EXPECT_NE(checksum(files[1]), checksum(files[2])) << "each take keeps its own audio";

    // A title played where it lies, on a drive that goes away and comes back.
    const std::string onDrive = dir.file("drive/live.wav");
    ASSERT_EQ(gleam({"generate", q(onDrive), "--seconds", "8", "--seed", "6"}).code, 0);
    project({"import", q(onDrive), "--quiet"});
    checkFiles("drive title");
    fs::rename(dir.file("drive"), dir.file("drive-unmounted"));
    CliRun listed = project({"list"});
    EXPECT_NE(listed.out.find("04\tlive\timported\t2\t00:08\tnot processed\tmissing"),
              std::string::npos)
        << listed.out;
    project({"set", "1", "--name", "Side A", "--noise", "0.5", "--click", "0.5"});
    project({"set", "4", "--name", "Live"}); // edits the missing title, nothing is lost
    EXPECT_EQ(titleFiles().size(), 4u);

    // A file another program was writing when it crashed: its header claims 10 s, the
    // file holds 8.
    const std::string cut = dir.file("tuesday/cut.wav");
    ASSERT_EQ(gleam({"generate", q(cut), "--seconds", "10", "--seed", "7"}).code, 0);
    fs::resize_file(cut, 44 + int64_t{8} * kRate * 4);
    CliRun info = gleam({"info", q(cut)});
    EXPECT_NE(info.out.find("truncated: header says 441000 frames"), std::string::npos) << info.out;
    project({"import", q(cut), "--quiet"});
    files = titleFiles();
    ASSERT_EQ(files.size(), 5u);
    EXPECT_EQ(framesOf(files[4]), 8 * kRate);
    checkFiles("cut file");

    // Process all while the drive is away: the others are processed, the missing one is
    // refused by name.
    CliRun processed = gleam({"project", q(projectPath), "process", "all", "--quiet"});
    EXPECT_NE(processed.err.find("live.wav"), std::string::npos) << processed.err;
    fs::rename(dir.file("drive-unmounted"), dir.file("drive"));
    listed = project({"list"});
    EXPECT_EQ(listed.out.find("missing"), std::string::npos) << listed.out;
    EXPECT_NE(listed.out.find("04\tLive"), std::string::npos) << listed.out;
    project({"process", "4", "--quiet"});
    checkFiles("processed");

    // Every title exported; an export never lands on a title's own file.
    files = titleFiles();
    for (size_t i = 0; i < files.size(); ++i) {
        const std::string out = dir.file("export-" + std::to_string(i + 1) + ".wav");
        project({"export", QString::number(i + 1), q(out), "--quiet"});
        EXPECT_EQ(checksum(out), checksum(files[i])) << out;
    }
    CliRun overwrite = gleam({"project", q(projectPath), "export", "2", q(files[0])});
    EXPECT_NE(overwrite.code, 0);
    checkFiles("exported");
}

} // namespace
