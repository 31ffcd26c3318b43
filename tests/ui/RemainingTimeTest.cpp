#include "RemainingTime.h"

#include "AEProject.h"

#include <gtest/gtest.h>

namespace {

constexpr int32_t kRate = 44100;

// Appends an unprocessed title of `seconds` (fade points 0 … end) with `pause` seconds.
void addTitle(AEProject& project, int32_t seconds, const char* pause) {
    ASSERT_TRUE(project.addTitle(true));
    AETitle* t = project.title(project.titleCount() - 1);
    ASSERT_NE(t, nullptr);
    const int32_t end = seconds * kRate;
    t->setFadePoint(0, 0);
    t->setFadePoint(1, 882);
    t->setFadePoint(2, end - 882);
    t->setFadePoint(3, end);
    t->setPauseSeconds(pause);
}

} // namespace

TEST(RemainingTime, NothingWithoutAProject) {
    EXPECT_EQ(remainingTimeText(nullptr, 4800), "");
}

TEST(RemainingTime, EmptyProjectShowsTheWholeDisc) {
    AEProject project;
    EXPECT_EQ(remainingTimeText(&project, 4800), "80:00");
    EXPECT_EQ(remainingTimeText(&project, 4740), "79:00");
}

TEST(RemainingTime, TitlesAndPausesAreSubtracted) {
    AEProject project;
    addTitle(project, 39 * 60, "0");
    addTitle(project, 40 * 60, "2");
    // 80:00 - 39:00 - 40:00 - 0:02
    EXPECT_EQ(remainingTimeText(&project, 4800), "00:58");
}

TEST(RemainingTime, EightyOneMinutesShowAMinusSign) {
    AEProject project;
    addTitle(project, 2430, "0");
    addTitle(project, 2430, "0");
    EXPECT_EQ(remainingTimeText(&project, 4800), "-01:00");
    AEProject withPauses;
    addTitle(withPauses, 2400, "2");
    addTitle(withPauses, 2400, "2");
    EXPECT_EQ(remainingTimeText(&withPauses, 4800), "-00:04");
}
