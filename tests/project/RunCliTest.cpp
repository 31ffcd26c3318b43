// gleam-cli restore, normalize, and project … process / normalize, run as a program: the
// files they write and what they refuse. (A stopped restore leaves nothing behind:
// RestoreCollectionCliTest, whose runs end the same way.)
#include "AEProcessedFile.h"
#include "AEProcessingRun.h"
#include "RunTestSupport.h"

#include "AudioTestSupport.h"
#include "support/CliRun.h"
#include "support/TestDirs.h"

#include "AudioFile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace {

using RunTest::count;
using RunTest::filesIn;
using RunTest::lines;
using RunTest::readStereo;

constexpr int32_t kSevenSeconds = ProjectTest::kSevenSeconds;

using TestCli::cli;
using TestCli::CliRun;
using TestCli::q;

// The format of a written file: rate, bits, channels, frames.
std::string formatOf(const std::string& path) {
    AudioFile file(path);
    if (!file.open(FAccessMode::kRead)) {
        return "unreadable";
    }
    return std::to_string(static_cast<int>(file.sampleRate())) + "-" +
           std::to_string(file.channels()) + "-" + std::to_string(file.bits()) + " " +
           std::to_string(file.frames());
}

TEST(RunCli, RestoreIsTheProcessingRunOfAnImportedTitle) {
    ProjectTest::RecordingHost host;
    TestDir dir;
    const auto samples = ProjectTest::testSignal(60000, 9);
    AEProject project;
    project.setBaseDirectory(dir.path());
    AETitle& title = RunTest::importTitle(project, dir.path(), "44100-2-16", samples);
    const int32_t positions[6] = {500000, 250000, 700000, 0, 330000, 900000};
    for (int slot = 0; slot < 6; ++slot) {
        title.setProcessorParam(slot, positions[slot]);
        title.setProcessorEnabled(slot, positions[slot] > 0);
    }
    ASSERT_EQ(processTitle(project, 0, dir.file("x.dat")), AERunResult::kDone);

    const CliRun run = cli({"restore", "--quiet", q(dir.file("44100-2-16.wav")),
                            q(dir.file("out.wav")), "--click", "0.5", "--crackle", "0.25",
                            "--noise", "0.7", "--width", "0.33", "--brilliance", "0.9"});
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(readStereo(dir.file("out.wav")), readStereo(title.processedPath()));
    EXPECT_EQ(formatOf(dir.file("out.wav")), "44100-2-16 60000");
}

// Files that are not audio, bad arguments and outputs named for no format are refused
// in one line, before any work: no file is written.
TEST(RunCli, RestoreAndNormalizeRefuseBadInputsArgumentsAndOutputs) {
    TestDir dir;
    ProjectTest::writeFile(dir.file("notes.flac"), "fLaC, but only in words");
    AudioTest::writeBytes(dir.file("no-data.wav"),
                          AudioTest::riffImage({{"fmt ", AudioTest::fmtBody(1, 2, 44100, 4, 16)}}));
    ProjectTest::writeWave(dir.file("in.wav"), 1000);
    const QString in = q(dir.file("in.wav"));
    const QString out = q(dir.file("o.wav"));
    const struct {
        QStringList args;
        const char* said;
    } cases[] = {
        {{"restore", q(dir.file("notes.flac")), out}, "notes.flac"},
        {{"restore", q(dir.file("no-data.wav")), out},
         "no-data.wav\": cut short before its audio begins"},
        {{"restore", in, out, "--noise", "2"}, ""},
        {{"restore", in, out, "--hiss", "1"}, ""},
        {{"restore", in, out, "--click"}, ""},
        {{"normalize", in}, ""},
        {{"normalize", in, q(dir.file("out.wav.tmp"))}, ".wav, .aif, .aiff or .flac"},
        {{"restore", in, q(dir.file("out"))}, ".wav, .aif, .aiff or .flac"},
    };
    for (const auto& c : cases) {
        const CliRun run = cli(c.args);
        EXPECT_NE(run.code, 0) << c.args.join(' ').toStdString();
        EXPECT_EQ(lines(run.err), 1) << run.err;
        EXPECT_NE(run.err.find(c.said), std::string::npos) << run.err;
    }
    EXPECT_EQ(filesIn(dir.path()),
              (std::vector<std::string>{"in.wav", "no-data.wav", "notes.flac"}));
}

// What sox makes of a file: its type and samples per channel, e.g. "aiff 20000".
std::string soxView(const std::string& path) {
    const auto ask = [&path](const char* what) {
        const std::string out = TestCli::run("sox", {"--i", what, q(path)}).out;
        return out.substr(0, out.find('\n'));
    };
    return ask("-t") + " " + ask("-s");
}

TEST(RunCli, RestoreReadsAFileCutShortUpToItsLastWholeFrame) {
    TestDir dir;
    ProjectTest::writeWave(dir.file("cut.wav"), 20000);
    std::filesystem::resize_file(dir.file("cut.wav"), 44 + 4 * 12345 + 3);
    const CliRun run =
        cli({"restore", q(dir.file("cut.wav")), q(dir.file("out.wav")), "--bass", "0.5"});
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(formatOf(dir.file("out.wav")), "44100-2-16 12345");
}

TEST(RunCli, OutputIsWrittenInTheFormatItsExtensionNames) {
    TestDir dir;
    ProjectTest::writeWaveSamples(dir.file("in.wav"), ProjectTest::testSignal(20000, 5));
    const CliRun normalized = cli({"normalize", q(dir.file("in.wav")), q(dir.file("ref.wav"))});
    ASSERT_EQ(normalized.code, 0) << normalized.err;
    EXPECT_NE(normalized.out.find("gain"), std::string::npos) << normalized.out;
    const auto reference = readStereo(dir.file("ref.wav"));
    struct Case {
        const char* command;
        const char* name;
        const char* view;
    };
    for (const Case& c :
         {Case{"restore", "out.aif", "aiff 20000"}, Case{"normalize", "OUT.AIFF", "aiff 20000"},
          Case{"normalize", "out.flac", "flac 20000"}, Case{"restore", "Out.Wav", "wav 20000"}}) {
        const std::string out = dir.file(c.name);
        const CliRun run = cli({c.command, q(dir.file("in.wav")), q(out)});
        ASSERT_EQ(run.code, 0) << c.name << ": " << run.err;
        EXPECT_EQ(soxView(out), c.view) << c.name;
        if (std::string(c.command) == "normalize") {
            const std::string decoded = out + ".decoded.wav";
            ASSERT_EQ(std::system(("sox '" + out + "' -b 16 '" + decoded + "'").c_str()), 0);
            EXPECT_EQ(readStereo(decoded), reference) << c.name;
        }
    }
}

// A project made, filled and processed with gleam-cli.
class ProjectRunCli : public ::testing::Test {
protected:
    std::string makeProject(const std::string& name) {
        const std::string base = dir.file(name);
        std::filesystem::create_directory(base);
        const std::string path = base + "/" + name + ".dat";
        EXPECT_EQ(cli({"project", q(path), "create", "--base", q(base)}).code, 0);
        const CliRun imported = cli({"project", q(path), "import", "--quiet", q(dir.file("a.wav")),
                                     q(dir.file("b.wav")), q(dir.file("c.wav"))});
        EXPECT_EQ(imported.code, 0) << imported.err;
        EXPECT_EQ(cli({"project", q(path), "set", "1", "--click", "0.5", "--noise", "0.3"}).code,
                  0);
        EXPECT_EQ(cli({"project", q(path), "set", "2", "--crackle", "0.6", "--bass", "0.4"}).code,
                  0);
        EXPECT_EQ(cli({"project", q(path), "set", "3", "--width", "0.8"}).code, 0);
        return path;
    }

    void SetUp() override {
        for (const char* name : {"a", "b", "c"}) {
            ProjectTest::writeWaveSamples(
                dir.file(std::string(name) + ".wav"),
                ProjectTest::testSignal(kSevenSeconds + 1000 * name[0], name[0]));
        }
    }

    TestDir dir;
};

// Process all runs in the jobs asked for (that two jobs write the files of one is the
// title runs' own test), prints a row per title and marks them processed.
TEST_F(ProjectRunCli, ProcessAllMarksEveryTitleProcessedAndThenSkipsThem) {
    const std::string parallel = makeProject("two");
    const CliRun second = cli({"project", q(parallel), "process", "all", "--jobs", "2"});
    ASSERT_EQ(second.code, 0) << second.err;
    EXPECT_EQ(lines(second.out), 3) << second.out;
    EXPECT_EQ(RunTest::filesIn(dir.file("two")).size(), 4u) << "the project and three results";
    const CliRun listed = cli({"project", q(parallel), "list"});
    EXPECT_EQ(count(listed.out, "\tprocessed\n"), 3) << listed.out;

    // Processed, with nothing switched on: processing all skips them.
    const CliRun again = cli({"project", q(parallel), "process", "all"});
    EXPECT_EQ(again.code, 0) << again.err;
    EXPECT_EQ(again.out, "");
    const CliRun one = cli({"project", q(parallel), "process", "2"});
    EXPECT_NE(one.code, 0) << "title 2 alone has nothing to do";
    EXPECT_EQ(lines(one.err), 1) << one.err;
}

TEST_F(ProjectRunCli, NormalizeOneTitleAndRefuseMissingOnes) {
    const std::string path = makeProject("p");
    const CliRun run = cli({"project", q(path), "normalize", "2"});
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out, "02\tb\t" + dir.file("p/b000.p.p.wav") + "\n");
    const std::string listed = cli({"project", q(path), "list"}).out;
    // Title 2 processed (its row ends before title 3's begins), 1 and 3 not.
    EXPECT_NE(listed.find("\tprocessed\n03\t"), std::string::npos) << listed;
    EXPECT_EQ(count(listed, "\tnot processed\n"), 2) << listed;
    for (const QStringList& args : {QStringList{"normalize", "4"}, QStringList{"normalize"},
                                    QStringList{"process", "all", "--jobs", "0"},
                                    QStringList{"normalize", "1", "--jobs", "2"}}) {
        const CliRun refused = cli(QStringList{"project", q(path)} + args);
        EXPECT_NE(refused.code, 0) << args.join(' ').toStdString();
        EXPECT_EQ(lines(refused.err), 1) << refused.err;
    }
}

} // namespace
