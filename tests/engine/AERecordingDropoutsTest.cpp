// A recording's dropouts: only those inside it count, placed from its first frame.
#include "AERecordingDropouts.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> lines;
void note(const char* line) {
    lines.emplace_back(line);
}

TEST(AERecordingDropoutsTest, OnlyThoseBetweenTheFirstAndTheLastFrameCount) {
    AERecordingDropouts dropouts;
    dropouts.begin(1000);
    // At the first frame (before it), inside, inside, at the end (after the last frame).
    for (const WaveDropout& dropout : {WaveDropout{1000, 7}, WaveDropout{1001, 441},
                                       WaveDropout{45100, 882}, WaveDropout{89200, 5}}) {
        dropouts.note(dropout);
    }
    EXPECT_EQ(dropouts.totals().count, 3u); // the end is not known yet
    const AERecordingDropouts::Totals lost = dropouts.end(88200);
    EXPECT_EQ(lost.count, 2u);
    EXPECT_EQ(lost.frames, 1323u);
    EXPECT_EQ(lost.milliseconds(), 30);
    lines.clear();
    dropouts.log(note);
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "recording dropout at frame 1 (0:00:00.000): 441 frames lost",
                         "recording dropout at frame 44100 (0:00:01.000): 882 frames lost",
                         "recording stopped: 2 dropouts, 1323 frames (30 ms) lost"}));
    dropouts.begin(0);
    EXPECT_EQ(dropouts.totals().count, 0u);
}

} // namespace
