#include "RemainingTime.h"

#include "AEProject.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

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

// The disc's time less the titles and their pauses, negative past the disc's end; nothing
// without a project.
TEST(RemainingTime, TheDiscLessTitlesAndPauses) {
    EXPECT_EQ(remainingTimeText(nullptr, 4800), "");
    const struct {
        std::vector<std::pair<int32_t, const char*>> titles; // seconds, pause
        int32_t disc;
        const char* left;
    } rows[] = {{{}, 4740, "79:00"},
                {{{39 * 60, "0"}, {40 * 60, "2"}}, 4800, "00:58"},
                {{{2430, "0"}, {2430, "0"}}, 4800, "-01:00"},
                {{{2400, "2"}, {2400, "2"}}, 4800, "-00:04"}};
    for (const auto& row : rows) {
        AEProject project;
        for (const auto& [seconds, pause] : row.titles) {
            addTitle(project, seconds, pause);
        }
        EXPECT_EQ(remainingTimeText(&project, row.disc), row.left);
    }
}
