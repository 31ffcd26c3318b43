// gleam-cli restore IN... --out-dir DIR: a collection of worn recordings in nested folders,
// restored in two jobs, killed halfway and started again, ends as one uninterrupted run.
#include "support/CliRun.h"
#include "support/GeneratedAudio.h"
#include "support/TestDirs.h"
#include "support/WaitFor.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

namespace {

namespace fs = std::filesystem;
using TestCli::cli;
using TestCli::CliRun;
using TestCli::q;

constexpr int kFiles = 20;

// Every file below `folder` (but the manifest) by its name below it, with its bytes.
std::map<std::string, std::string> outputsIn(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        const std::string name = entry.path().lexically_relative(folder).string();
        if (entry.is_regular_file() && name != "gleam-restore.jsonl") {
            files[name] = fileText(entry.path().string());
        }
    }
    return files;
}

std::vector<QJsonObject> manifestLines(const fs::path& folder) {
    std::vector<QJsonObject> lines;
    std::ifstream in(folder / "gleam-restore.jsonl");
    std::string line;
    while (std::getline(in, line)) {
        lines.push_back(QJsonDocument::fromJson(QByteArray::fromStdString(line)).object());
    }
    return lines;
}

std::set<std::string> outputNames(const std::vector<QJsonObject>& lines) {
    std::set<std::string> names;
    for (const QJsonObject& line : lines) {
        names.insert(line["output"].toString().toStdString());
    }
    return names;
}

// Whether a program restoring into `folder` still runs (by the command lines in /proc).
bool restoringInto(const fs::path& folder) {
    for (const auto& entry : fs::directory_iterator("/proc")) {
        std::string line = fileText((entry.path() / "cmdline").string());
        std::replace(line.begin(), line.end(), '\0', ' ');
        if (line.find("restore") != std::string::npos &&
            line.find(folder.string()) != std::string::npos) {
            return true;
        }
    }
    return false;
}

const QStringList kControls = {"--click", "0.5",      "--crackle", "0.5", "--noise", "0.5",
                               "--mode",  "enhanced", "--jobs",    "2",   "--quiet"};

// Twenty worn recordings of a few seconds in three folders, one named with quotes, one
// FLAC and one MP3 (restored to FLAC), and a text file that is not restored.
void makeCollection(const TestDir& dir) {
    fs::create_directories(dir.file("lps/side a"));
    fs::create_directories(dir.file("lps/tapes/c60"));
    for (int i = 0; i < kFiles; ++i) {
        const std::string folder = i < 8 ? "lps/side a/" : i < 15 ? "lps/tapes/c60/" : "lps/";
        std::string name = folder + "take " + std::to_string(i) + ".wav";
        if (i == 3) {
            name = folder + "say \"hi\".wav";
        }
        const std::string seconds = i % 3 == 0 ? "4" : "2.5";
        ASSERT_EQ(cli({"generate", q(dir.file(name)), "--seconds", seconds.c_str(), "--seed",
                       QString::number(i + 1)})
                      .code,
                  0);
    }
    ASSERT_TRUE(GeneratedAudio::run("sox " + GeneratedAudio::quoted(dir.file("lps/take 16.wav")) +
                                    " " + GeneratedAudio::quoted(dir.file("lps/take 16.flac"))));
    ASSERT_TRUE(GeneratedAudio::run(
        "ffmpeg -nostdin -y -i " + GeneratedAudio::quoted(dir.file("lps/take 17.wav")) +
        " -c:a libmp3lame -b:a 192k " + GeneratedAudio::quoted(dir.file("lps/take 17.mp3"))));
    fs::remove(dir.file("lps/take 16.wav"));
    fs::remove(dir.file("lps/take 17.wav"));
    std::ofstream(dir.file("lps/notes.txt")) << "side A is warped";
}

TEST(RestoreCollectionCli, AStoppedRunGoesOnAndEndsAsAnUninterruptedOne) {
    TestDir dir;
    makeCollection(dir);
    if (HasFatalFailure()) {
        return;
    }
    // The reference: in one go. The FLAC and MP3 files pass through the temporary folder
    // on their way in and out, and leave nothing there.
    const fs::path whole = dir.file("whole");
    fs::create_directory(dir.file("tmp"));
    const CliRun once =
        cli(QStringList{"restore", q(dir.file("lps")), "--out-dir", q(whole.string())} + kControls,
            {"TMPDIR", q(dir.file("tmp"))});
    ASSERT_EQ(once.code, 0) << once.err;
    EXPECT_TRUE(fs::is_empty(dir.file("tmp")));
    const auto expected = outputsIn(whole);
    ASSERT_EQ(expected.size(), size_t(kFiles));
    EXPECT_EQ(expected.count("lps/side a/say \"hi\".wav"), 1u);
    EXPECT_EQ(expected.count("lps/take 16.flac"), 1u);
    EXPECT_EQ(expected.count("lps/take 17.flac"), 1u);
    const auto lines = manifestLines(whole);
    ASSERT_EQ(lines.size(), size_t(kFiles));
    EXPECT_EQ(outputNames(lines).size(), size_t(kFiles));
    for (const QJsonObject& line : lines) {
        EXPECT_EQ(line["mode"].toString(), "enhanced");
        EXPECT_EQ(line["settings"].toObject()["noise"].toDouble(), 0.5);
        EXPECT_GT(line["repairs"].toObject()["clicks"].toInt(), 0)
            << line["output"].toString().toStdString();
        EXPECT_GT(line["seconds"].toDouble(), 0.0);
        EXPECT_TRUE(fs::exists(line["input"].toString().toStdString()));
    }

    // Killed (the whole program at once) once a few files are done, then started again;
    // into a folder inside the collection, which is never taken as input.
    const fs::path out = dir.file("lps/restored");
    QProcess first;
    first.start(GLEAM_CLI,
                QStringList{"restore", q(dir.file("lps")), "--out-dir", q(out.string())} +
                    kControls);
    ASSERT_TRUE(waitFor([&] { return manifestLines(out).size() >= 4; }, 60000));
    first.kill();
    first.waitForFinished();
    // The restores under way stop with it and leave nothing behind, though nobody reads
    // their errors any more.
    ASSERT_TRUE(waitFor([&] { return !restoringInto(out); }, 20000));
    const size_t doneBefore = outputsIn(out).size();
    EXPECT_GE(doneBefore, 4u);
    EXPECT_LT(doneBefore, size_t(kFiles));

    const CliRun again =
        cli(QStringList{"restore", q(dir.file("lps")), "--out-dir", q(out.string())} + kControls);
    ASSERT_EQ(again.code, 0) << again.err;
    EXPECT_NE(again.out.find(std::to_string(doneBefore) + " done before"), std::string::npos)
        << again.out;
    EXPECT_TRUE(outputsIn(out) == expected) << "outputs differ from the uninterrupted run";
    EXPECT_EQ(outputNames(manifestLines(out)), outputNames(lines));
}

TEST(RestoreCollectionCli, RefusesWhatWouldLoseOrMixFiles) {
    TestDir dir;
    fs::create_directories(dir.file("in"));
    fs::create_directories(dir.file("in/b"));
    for (const char* name : {"in/a.wav", "in/b/a.wav"}) {
        ASSERT_EQ(cli({"generate", q(dir.file(name)), "--seconds", "1"}).code, 0);
    }
    struct Case {
        QStringList args;
        const char* said;
    };
    const Case cases[] = {
        // Files of one name from two folders.
        {{"restore", q(dir.file("in/a.wav")), q(dir.file("in/b/a.wav")), "--out-dir",
          q(dir.file("o"))},
         "would both be restored to"},
        {{"restore", q(dir.file("in/a.wav")), "--out-dir", q(dir.file("in"))}, "over itself"},
        {{"restore", q(dir.file("nowhere")), "--out-dir", q(dir.file("o"))},
         "is not a file or folder"},
        // One input: the message says why it cannot be read.
        {{"restore", q(dir.file("nowhere.wav")), q(dir.file("o.wav"))}, "nowhere.wav\": not found"},
        {{"restore", q(dir.file("in")), q(dir.file("o.wav"))}, "in\": not a regular file"},
        {{"restore", q(dir.file("in")), "--out-dir", q(dir.file("o")), "--jobs", "0"}, "--jobs"},
        {{"restore", q(dir.file("in/a.wav")), q(dir.file("b.wav")), "--jobs", "2"}, "usage"},
    };
    for (const Case& c : cases) {
        const CliRun run = cli(c.args);
        EXPECT_EQ(run.code, 2) << c.said;
        EXPECT_NE(run.err.find(c.said), std::string::npos) << run.err;
    }
    EXPECT_FALSE(fs::exists(dir.file("o")));
}

} // namespace
