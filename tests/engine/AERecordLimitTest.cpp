// Where a recording stops by itself: the room on the drive, but never past what a WAVE
// file can describe in its 32-bit sizes.
#include "AERecordLimit.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

// The RIFF size a recording that ends two buffers past `limit` would write.
int64_t riffSizeAfter(const AERecordLimit& limit, int32_t framesPerBuffer) {
    const int64_t frames = limit.frames + 2 * int64_t{framesPerBuffer} - 1;
    return 36 + frames * 4;
}

TEST(AERecordLimitTest, RoomBeyondFourGibibytesIsCappedToWhatAWaveFileHolds) {
    const int64_t tenTerabytes = int64_t{10} * 1000 * 1000 * 1000 * 1000 / 4;
    for (int32_t perBuffer : {2048, 8192}) {
        const AERecordLimit limit = AERecordLimit::of(tenTerabytes, perBuffer);
        EXPECT_TRUE(limit.byFileSize());
        EXPECT_LE(riffSizeAfter(limit, perBuffer), int64_t{UINT32_MAX});
        EXPECT_GT(riffSizeAfter(limit, perBuffer), int64_t{UINT32_MAX} - 4 * 3 * perBuffer)
            << "the cap takes no more than it must";
        EXPECT_LE(limit.frames, int64_t{INT32_MAX});
    }
}

// Less room stays as it is; the recording display says why it will stop.
TEST(AERecordLimitTest, SmallerRoomStaysAsItIsAndTheDisplaySaysWhy) {
    const AERecordLimit limit = AERecordLimit::of(441000 * 60, 8192);
    EXPECT_EQ(limit.frames, 441000 * 60);
    EXPECT_EQ(limit.reason, AERecordLimit::Reason::kDiskSpace);
    EXPECT_EQ(AERecordLimit::of(-5, 8192).frames, 0);
    EXPECT_EQ(AERecordLimit::of(int64_t{1} << 40, 8192).text(),
              "stops by itself at 6:45:47, the most a WAVE file holds");
    EXPECT_EQ(AERecordLimit::of(44100 * 90, 8192).text(),
              "stops by itself at 0:01:30, when the disk is full");
    EXPECT_EQ(AERecordLimit::of(44100 * 5, 8192, AERecordLimit::Reason::kTimeLimit).text(),
              "stops by itself at 0:00:05, the time limit");
}

} // namespace
