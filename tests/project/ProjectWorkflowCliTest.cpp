// gleam-cli project and peaks: a whole session (a project is made, WAVE files good and bad
// imported, a title edited, moved, listed, exported as FLAC and removed; the test checks
// the files left), and the one line a failing command prints. (Missing titles and the
// export of every title: UsersWeekTest; other formats: FormatImportTest.)
#include "AEExport.h"
#include "AudioTestSupport.h"
#include "RunTestSupport.h"
#include "SoundFileReader.h"
#include "support/CliRun.h"
#include "support/TestDirs.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;
using ProjectTest::kSevenSeconds;
using RunTest::count;
using RunTest::lines;

using TestCli::cli;
using TestCli::CliRun;
using TestCli::q;

class ProjectWorkflow : public ::testing::Test {
protected:
    ProjectWorkflow() {
        fs::create_directory(dir.file("in"));
        fs::create_directory(dir.file("base"));
    }
    std::string in(const std::string& name) const { return dir.file("in/" + name); }
    std::string base(const std::string& name) const { return dir.file("base/" + name); }
    CliRun project(QStringList args) {
        args.prepend(q(projectPath));
        args.prepend("project");
        args.append("--quiet");
        return cli(args);
    }
    std::unique_ptr<AEProject> load() const { return AEProject::load(projectPath); }
    // Every file below the test folder whose name says it was left half-written.
    std::vector<std::string> leftovers() const {
        std::vector<std::string> found;
        for (const auto& entry : fs::recursive_directory_iterator(dir.path())) {
            if (entry.path().string().find("saving") != std::string::npos) {
                found.push_back(entry.path().string());
            }
        }
        return found;
    }

    TestDir dir;
    std::string projectPath = dir.file("Sunday Records.dat");
};

TEST_F(ProjectWorkflow, ImportEditMoveExportAndRemove) {
    ASSERT_EQ(project({"create", "--base", q(dir.file("base"))}).code, 0);
    EXPECT_EQ(project({"list"}).out, "Sunday Records\nTotal time\t00:00\nRemaining\t80:00\n");
    const CliRun again = project({"create", "--title", "Other"});
    EXPECT_NE(again.code, 0) << "an existing project is never overwritten";
    EXPECT_NE(again.err.find("already exists"), std::string::npos);

    // Two good files, four bad ones and a folder.
    ProjectTest::writeWave(in("side a.wav"), kSevenSeconds + 100);
    const auto monoSamples = AudioTest::sine16(8 * 44100, 1, 441.0, 44100.0, 9000.0);
    ASSERT_TRUE(AudioTest::writeSystemFile(in("mono.wav"), monoSamples, 1));
    AudioTest::Bytes samples(static_cast<size_t>(kSevenSeconds) * 4, 0x22);
    // 308 700 frames at 48 kHz are under 7 seconds at 44.1 kHz.
    AudioTest::writeBytes(in("48000-2-16.wav"), AudioTest::pcmWave(2, 48000, 16, samples));
    samples.resize(samples.size() - 4);
    AudioTest::writeBytes(in("44100-2-16-308699.wav"), AudioTest::pcmWave(2, 44100, 16, samples));
    ProjectTest::writeFile(in("notes.wav"), "not audio");
    fs::create_directory(in("folder"));

    CliRun imported =
        project({"import", q(in("side a.wav")), q(in("48000-2-16.wav")), q(in("mono.wav")),
                 q(in("44100-2-16-308699.wav")), q(in("notes.wav")), q(in("folder"))});
    EXPECT_EQ(imported.code, 1) << "some files were refused";
    EXPECT_EQ(imported.out, projectPath + ": 2 titles added, 2 in the project\n");
    for (const char* refused : {"48000-2-16.wav", "44100-2-16-308699.wav", "notes.wav", "folder"}) {
        EXPECT_EQ(count(imported.err, "\"" + in(refused) + "\""), 1) << refused;
    }
    EXPECT_EQ(lines(imported.err), 5) << imported.err;

    CliRun listed = project({"list"});
    ASSERT_EQ(listed.code, 0) << listed.err;
    EXPECT_EQ(listed.out, "Sunday Records\n"
                          "01\tside a\timported\t2\t00:07\tnot processed\n"
                          "02\tmono.wav.stereo\timported\t2\t00:08\tnot processed\n"
                          "Total time\t00:19\nRemaining\t79:40\n");

    // Title 2 gets a name, an artist, a pause, a trim and the noise reducer at a quarter.
    CliRun set = project({"set", "2", "--name", "Mono side", "--artist", "Grandpa", "--pause", "4",
                          "--noise", "0.25", "--bass", "0", "--fades", "0,44100,300000,352800"});
    ASSERT_EQ(set.code, 0) << set.err;
    auto edited = load();
    ASSERT_NE(edited, nullptr);
    const AETitle& mono = *edited->title(1);
    EXPECT_EQ(mono.displayName(), "Mono side");
    EXPECT_EQ(mono.artist(), "Grandpa");
    EXPECT_EQ(mono.pauseSeconds(), "4");
    EXPECT_EQ(mono.processorParam(2), 250000);
    EXPECT_TRUE(mono.processorEnabled(2));
    EXPECT_EQ(mono.processorParam(3), 0);
    EXPECT_FALSE(mono.processorEnabled(3));
    EXPECT_EQ(mono.fadePoint(1), 44100);
    EXPECT_EQ(mono.fadePoint(3), 352800);

    // Bad values change nothing and say why in one line.
    for (const QStringList& bad :
         {QStringList{"set", "2", "--noise", "1.5"}, QStringList{"set", "2", "--pause", "9"},
          QStringList{"set", "2", "--fades", "5,4,3,2"}, QStringList{"set", "2", "--loud", "1"},
          QStringList{"set", "2", "--click"}, QStringList{"set", "3", "--name", "x"},
          QStringList{"move", "1", "up"}, QStringList{"move", "2", "sideways"},
          QStringList{"export", "3", q(dir.file("x.wav"))}}) {
        CliRun run = project(bad);
        EXPECT_NE(run.code, 0) << bad.join(" ").toStdString();
        EXPECT_EQ(lines(run.err), 1) << bad.join(" ").toStdString() << ": " << run.err;
    }
    EXPECT_EQ(load()->title(1)->displayName(), "Mono side");

    ASSERT_EQ(project({"move", "2", "up"}).code, 0);
    auto moved = load();
    EXPECT_EQ(moved->displayName(0), "Mono side");
    EXPECT_EQ(moved->displayName(1), "side a");

    CliRun tracklist = project({"export-tracklist", q(dir.file("Tracklist.txt"))});
    ASSERT_EQ(tracklist.code, 0) << tracklist.err;
    // The list of the project as it stands now (its text: AEExportTest).
    EXPECT_EQ(ProjectTest::readFile(dir.file("Tracklist.txt")), AEExport::titleListText(*load()));

    // The name's extension picks the format (the audio of an export: UsersWeekTest and
    // the export's own tests).
    CliRun exported = project({"export", "1", q(dir.file("missing/Mono side.wav"))});
    EXPECT_NE(exported.code, 0) << "no such folder";
    exported = project({"export", "1", q(dir.file("Mono side.flac"))});
    ASSERT_EQ(exported.code, 0) << exported.err;
    auto reader = SoundFileReader::open(dir.file("Mono side.flac"));
    ASSERT_NE(reader, nullptr);
    EXPECT_EQ(reader->title(), "Mono side");
    EXPECT_EQ(reader->artist(), "Grandpa");

    // Removing with the files takes the audio and its peaks; without, they stay.
    ASSERT_EQ(project({"remove", "2", "--delete-files"}).code, 0);
    EXPECT_FALSE(fs::exists(in("side a.wav")));
    EXPECT_FALSE(fs::exists(in("side a.pk")));
    ASSERT_EQ(project({"remove", "1"}).code, 0);
    EXPECT_TRUE(fs::exists(base("mono.wav.stereo.wav")));
    EXPECT_EQ(load()->titleCount(), 0);
    EXPECT_NE(project({"remove", "1"}).code, 0);

    EXPECT_TRUE(leftovers().empty());
}

// A refused request exits with 2, a failed one with 1; either says why in one line.
TEST_F(ProjectWorkflow, PeaksAndRefusalsOfOneLine) {
    const std::string song = in("song.take1.wav");
    ProjectTest::writeWave(song, 256 * 10 + 3);
    const CliRun peaks = cli({"peaks", "--quiet", q(song)});
    EXPECT_EQ(peaks.code, 0) << peaks.err;
    EXPECT_EQ(peaks.out, in("song.take1.pk") + ": 11 blocks\n");
    EXPECT_EQ(fs::file_size(in("song.take1.pk")), 44u);

    const std::string empty = dir.file("empty.dat");
    ASSERT_EQ(cli({"project", q(empty), "create"}).code, 0);
    ProjectTest::RecordImage image;
    image.projectHeader(1000, 100);
    image.save(projectPath);
    const struct {
        QStringList args;
        int code; // 0: any failure
        const char* said;
    } cases[] = {
        {{"project", q(projectPath), "list"}, 0, "100 titles"},
        {{"project", q(projectPath), "frob"}, 0, ""},
        {{"project", q(dir.file("x.dat"))}, 0, ""},
        {{"peaks", q(in("none.wav"))}, 0, ""},
        {{"peaks"}, 0, ""},
        {{"project", q(empty), "export-disc", q(dir.file("x.cue"))}, 1, "no titles"},
        {{"project", q(empty), "export-disc", q(dir.file("x.wav"))}, 2, ""},
        {{"project", q(empty), "split", "1", "--threshold", "loud"}, 2, ""},
        // Titles are never shorter than 7 s.
        {{"project", q(empty), "split", "1", "--min-title", "3"}, 2, ""},
        {{"project", q(empty), "split", "1"}, 1, "no title 1"},
    };
    for (const auto& c : cases) {
        const CliRun run = cli(c.args);
        const std::string what = c.args.join(' ').toStdString();
        EXPECT_NE(run.code, 0) << what;
        if (c.code != 0) {
            EXPECT_EQ(run.code, c.code) << what;
        }
        EXPECT_TRUE(run.out.empty()) << what;
        EXPECT_EQ(lines(run.err), 1) << what << ": " << run.err;
        EXPECT_NE(run.err.find(c.said), std::string::npos) << what << ": " << run.err;
    }
    EXPECT_FALSE(fs::exists(dir.file("x.bin")));
}

} // namespace
