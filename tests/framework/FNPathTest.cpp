#include "FNPath.h"
#include "FFileType.h"

#include <gtest/gtest.h>

namespace {

TEST(FNPath, SplitsAtTheLastSlashAndDot) {
    FNPath path("/home/user/records/side.a.wav");
    EXPECT_EQ(path.fileName(), "side.a.wav");
    EXPECT_EQ(path.directory(), "/home/user/records/");
    EXPECT_EQ(path.extension(), "wav");
    EXPECT_EQ(path.withExtension("pk"), "/home/user/records/side.a.pk");

    FNPath bare("noext");
    EXPECT_EQ(bare.fileName(), "noext");
    EXPECT_EQ(bare.directory(), "");
    EXPECT_EQ(bare.extension(), "");
    EXPECT_EQ(bare.withExtension("pk"), "noext.pk");

    // A dot in a folder name is not an extension.
    FNPath dotted("/data/v1.2/take");
    EXPECT_EQ(dotted.extension(), "");
    dotted.setFileName("take2.wav");
    EXPECT_EQ(dotted.text(), "/data/v1.2/take2.wav");
}

TEST(FFileType, MatchesByCodeOrByNameIgnoringCase) {
    FFileType wave{".WAV", "wav", "wave", "Wave File"};
    EXPECT_TRUE(FFileType::fromPath("/x/SONG.WAV").matches(wave));
    EXPECT_TRUE(FFileType::fromPath("song.Wave").matches(wave));
    EXPECT_FALSE(FFileType::fromPath("song.aif").matches(wave));
    EXPECT_FALSE(FFileType::fromPath("song").matches(wave));
    FFileType aiff{"AIFF", "aif", "aiff", "AIFF File"};
    // Both codes set: the codes decide, even when the names agree.
    FFileType sameNameOtherCode{"AIFC", "aif", "aiff", ""};
    EXPECT_FALSE(aiff.matches(sameNameOtherCode));
}

} // namespace
