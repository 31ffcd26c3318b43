// Processing several titles, as the window's threads do: side by side with the same
// results as one after the other, the outcomes carried in the messages, the messages,
// cancelling, skipped titles. (Normalizing all: RestoreSideJourneyTest, one title at a
// time as NormalizingRunTest has it.)
#include "AETitleRuns.h"
#include "RunTestSupport.h"

#include "support/TestDirs.h"

#include <gtest/gtest.h>

namespace {

using RunTest::importTitle;
using RunTest::setStage;

constexpr int32_t kBlock = 4096;

// Four titles with different settings, lengths and trims.
void makeTitles(AEProject& project, const std::string& directory) {
    project.setBaseDirectory(directory + "/");
    for (int k = 0; k < 4; ++k) {
        const int32_t frames = (12 + 5 * k) * kBlock + 333 * k;
        AETitle& title = importTitle(project, directory, "title " + std::to_string(k),
                                     ProjectTest::testSignal(frames, static_cast<uint32_t>(k + 1)));
        for (int slot = 0; slot < 6; ++slot) {
            if ((slot + k) % 2 == 0 || slot == 2) {
                setStage(title, slot, 200000 + 100000 * slot + 50000 * k);
            }
        }
        title.setFadePoint(0, 1000 * k);
        title.setFadePoint(1, 1000 * k + 4410);
    }
}

class TitleRunsTest : public ::testing::Test {
protected:
    void SetUp() override { makeTitles(project, dir.path()); }

    ProjectTest::RecordingHost host;
    TestDir dir;
    AEProject project;
};

TEST_F(TitleRunsTest, TwoJobsGiveTheSameFilesAsOne) {
    TestDir two;
    AEProject parallel;
    makeTitles(parallel, two.path());
    const auto first = processTitles(project, dir.file("CD.dat"), allTitles(project), 1);
    // The window's way: planned, run without touching the project, applied from message 22.
    AETitleBatch batch =
        planTitleRuns(AETitleRunKind::kProcess, parallel, two.file("CD.dat"), allTitles(parallel));
    const auto second = runTitleBatch(batch, 2, postOutcome);
    ASSERT_EQ(first.count(AERunResult::kDone), 4);
    ASSERT_EQ(second.count(AERunResult::kDone), 4);
    for (int32_t k = 0; k < 4; ++k) {
        EXPECT_EQ(parallel.title(k)->stateCode(), AETitleProcessState::kNotProcessed);
    }
    host.applyOutcomes(parallel);
    for (int32_t k = 0; k < 4; ++k) {
        const AETitle& a = *project.title(k);
        const AETitle& b = *parallel.title(k);
        EXPECT_EQ(FNPath(b.processedPath()).fileName(), FNPath(a.processedPath()).fileName());
        EXPECT_EQ(ProjectTest::readFile(b.processedPath()),
                  ProjectTest::readFile(a.processedPath()))
            << "title " << k;
        EXPECT_EQ(b.length(), (12 + 5 * k) * kBlock + 333 * k - 1000 * k)
            << "the length of the new file";
    }
}

TEST_F(TitleRunsTest, EachTitleIsReportedAndTheEndToo) {
    host.setCancelRequested(true);
    const auto summary = processTitles(project, dir.file("CD.dat"), {1, 3}, 2);
    EXPECT_FALSE(summary.cancelled) << "a cancel from before is forgotten";
    EXPECT_EQ(summary.count(AERunResult::kDone), 2);
    auto tags = host.tags();
    tags.erase(std::remove(tags.begin(), tags.end(), 18), tags.end());
    // Each title's repairs go to the status line (40) before its messages 22 and 21.
    EXPECT_EQ(tags, (std::vector<int32_t>{40, 22, 21, 40, 22, 21, 22, 11}));
    EXPECT_EQ(host.progressBegins, 1) << "one display for the whole batch";
    EXPECT_EQ(host.progressEnds, 1);
    EXPECT_EQ(host.progressValue, host.progressMaximum + 2) << "two short last blocks";
    EXPECT_EQ(project.title(0)->stateCode(), 0);
    EXPECT_EQ(project.title(1)->stateCode(), 3);
}

TEST_F(TitleRunsTest, ACancelStopsEveryTitleAndLeavesNoFiles) {
    host.cancelOnRefresh = true;
    const auto summary = processTitles(project, dir.file("CD.dat"), allTitles(project), 2);
    EXPECT_TRUE(summary.cancelled);
    EXPECT_EQ(summary.count(AERunResult::kCancelled), 4);
    EXPECT_EQ(host.tags().back(), 26);
    EXPECT_EQ(RunTest::filesIn(dir.path()).size(), 4u) << "only the recordings";
    for (int32_t k = 0; k < 4; ++k) {
        EXPECT_EQ(project.title(k)->stateCode(), 0);
        EXPECT_TRUE(project.title(k)->processorEnabled(2));
    }
}

} // namespace
