// gleam-cli's --mode on restore, project process and play: the enhanced repair stages
// when asked, the stored choice without it, a clear failure for anything else, and the
// one summary line of restore.
#include "EngineTestSupport.h"
#include "RegistryStore.h"
#include "support/CliRun.h"
#include "support/TestDirs.h"
#include "support/TestSignals.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using namespace EngineTest;

using TestCli::cli;
using TestCli::CliRun;
using TestCli::q;

// Eight seconds of two sines with hiss and 20 clicks per channel, 16-bit stereo.
std::vector<int16_t> wornRecord() {
    return TestSignals::wornMusic16(8 * 44100, 20);
}

class CliRestorationModeTest : public ::testing::Test {
protected:
    void SetUp() override {
        // play runs on the virtual sound card, as fast as it takes buffers.
        qputenv("GLEAM_AUDIO", "virtual");
        qputenv("GLEAM_VIRTUAL_PACE", "fast");
        ASSERT_TRUE(writeWave(in, wornRecord()));
    }

    TestDir tmp;
    std::string in = tmp.file("44100-2-16-worn.wav");
};

TEST_F(CliRestorationModeTest, RestorePrintsOneSummaryLineOfItsMode) {
    const std::string out = tmp.file("enhanced.wav");
    const CliRun run = cli({"restore", "--quiet", q(in), q(out), "--click", "0.5", "--crackle",
                            "0.5", "--noise", "0.5", "--mode", "enhanced"});
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 1) << run.out;
    EXPECT_NE(run.out.find("(enhanced)"), std::string::npos) << run.out;
    // Both channels' 20 clicks are found, and little else.
    const size_t at = run.out.find(" clicks (");
    ASSERT_NE(at, std::string::npos) << run.out;
    const int clicks = std::stoi(run.out.substr(run.out.rfind(' ', at - 1) + 1));
    EXPECT_GE(clicks, 36) << run.out;
    EXPECT_LE(clicks, 50) << run.out;
    EXPECT_NE(run.out.find("noise lowered in"), std::string::npos);
    EXPECT_EQ(readStereo16(out).size(), wornRecord().size());
}

TEST_F(CliRestorationModeTest, WithoutModeTheStoredChoiceIsUsed) {
    const QStringList args = {"restore", "--quiet", q(in), q(tmp.file("out.wav")),
                              "--click", "0.5"};
    // Nothing stored: enhanced.
    const CliRun enhanced = cli(args);
    ASSERT_EQ(enhanced.code, 0) << enhanced.err;
    EXPECT_NE(enhanced.out.find("(enhanced)"), std::string::npos) << enhanced.out;
    RegistryStore().writeInt("restorationMode", 0);
    const CliRun classic = cli(args);
    ASSERT_EQ(classic.code, 0) << classic.err;
    EXPECT_NE(classic.out.find("(classic)"), std::string::npos) << classic.out;
    // --mode wins over the stored choice.
    QStringList asked = args;
    asked << "--mode"
          << "enhanced";
    EXPECT_NE(cli(asked).out.find("(enhanced)"), std::string::npos);
}

TEST_F(CliRestorationModeTest, AnUnknownModeFailsClearlyInEveryCommand) {
    const std::string project = tmp.file("modes.dat");
    ASSERT_EQ(cli({"project", q(project), "create"}).code, 0);
    for (const QStringList& command :
         {QStringList{"restore", q(in), q(tmp.file("x.wav"))}, QStringList{"play", q(in)},
          QStringList{"project", q(project), "process", "all"}}) {
        const CliRun run = cli(command + QStringList{"--mode", "best"});
        EXPECT_EQ(run.code, 2) << command.first().toStdString();
        EXPECT_NE(run.err.find("--mode takes classic or enhanced"), std::string::npos) << run.err;
    }
}

TEST_F(CliRestorationModeTest, ProjectProcessAndPlayRunInEnhancedMode) {
    const std::string project = tmp.file("worn.dat");
    ASSERT_EQ(cli({"project", q(project), "create"}).code, 0);
    const CliRun imported = cli({"project", q(project), "import", q(in)});
    ASSERT_EQ(imported.code, 0) << imported.err;
    ASSERT_EQ(cli({"project", q(project), "set", "1", "--click", "0.5", "--noise", "0.5"}).code, 0);
    const CliRun processed =
        cli({"project", q(project), "process", "1", "--mode", "enhanced", "--quiet"});
    EXPECT_EQ(processed.code, 0) << processed.err;
    EXPECT_EQ(processed.out.rfind("01\t", 0), 0u) << processed.out;
    const CliRun played =
        cli({"play", q(in), "--click", "0.5", "--mode", "enhanced", "--seconds", "1", "--quiet"});
    EXPECT_EQ(played.code, 0) << played.err;
}

} // namespace
