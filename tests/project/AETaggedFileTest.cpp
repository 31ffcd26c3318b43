// Tagged records: byte layout, tag order, UTF-8 texts and their limits, skipping, and a
// write that only replaces the old file once it is complete.
#include "AETaggedFile.h"

#include "ProjectTestSupport.h"
#include "support/TestDirs.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

using ProjectTest::readFile;
using ProjectTest::RecordImage;

namespace {

TEST(AETaggedFile, WritesRecordsByteForByteAndReadsThemBack) {
    TestDir dir;
    const std::string path = dir.file("records.dat");
    AETaggedFile file(path);
    EXPECT_FALSE(file.openForRead()) << "missing file";
    ASSERT_TRUE(file.openForWrite());
    file.writeInteger("Vers", 1000);
    file.writeText("Ab", "Grüße, ♪");
    file.writeFlag("Flag", false);
    file.writeInteger("Neg", -123456);
    ASSERT_TRUE(file.finishWrite());

    RecordImage expected;
    expected.integer("Vers", 1000).text("Ab  ", "Grüße, ♪"); // short tags are blank-padded
    expected.flag("Flag", false).integer("Neg ", -123456);
    EXPECT_EQ(readFile(path), expected.bytes());
    EXPECT_FALSE(std::filesystem::exists(file.pendingPath()));

    ASSERT_TRUE(file.openForRead());
    char tag[5];
    EXPECT_EQ(file.readHeader(tag), AETaggedFile::kInteger);
    EXPECT_EQ(file.readInteger(), 1000);
    EXPECT_EQ(file.readHeader(tag), AETaggedFile::kText);
    EXPECT_STREQ(tag, "Ab  ");
    EXPECT_STREQ(file.readText(), "Grüße, ♪");
    EXPECT_EQ(file.readHeader(tag), AETaggedFile::kFlag);
    EXPECT_FALSE(file.readFlag());
    EXPECT_EQ(file.readHeader(tag), AETaggedFile::kInteger);
    EXPECT_EQ(file.readInteger(), -123456);
    EXPECT_FALSE(file.readFailed());
    EXPECT_EQ(file.readHeader(tag), -1) << "end of file";
    EXPECT_TRUE(file.readFailed());
    EXPECT_TRUE(file.close());
    EXPECT_FALSE(file.close());
}

TEST(AETaggedFile, LongTextsAreCutAtACharacterBoundary) {
    // 1021 ASCII bytes and then a three-byte character: 1024 bytes, two too many.
    const std::string text = std::string(1021, 'a') + "♪";
    TestDir dir;
    AETaggedFile file(dir.file("long.dat"));
    ASSERT_TRUE(file.openForWrite());
    file.writeText("Long", text);
    file.writeText("Full", std::string(1022, 'b'));
    file.writeText("Over", std::string(5000, 'c'));
    ASSERT_TRUE(file.finishWrite());
    ASSERT_TRUE(file.openForRead());
    char tag[5];
    file.readHeader(tag);
    EXPECT_EQ(std::string(file.readText()), std::string(1021, 'a'));
    file.readHeader(tag);
    EXPECT_EQ(std::string(file.readText()), std::string(1022, 'b'));
    file.readHeader(tag);
    EXPECT_EQ(std::string(file.readText()), std::string(1022, 'c'));
    EXPECT_TRUE(file.textWasRead());
}

TEST(AETaggedFile, TextsOfImpossibleLengthAreSkippedWhole) {
    TestDir dir;
    const std::string path = dir.file("lengths.dat");
    RecordImage image;
    image.text("Good", "first");
    image.rawText("Zero", 0, "");
    image.rawText("Huge", 2000, std::string(2000, 'x'));
    image.integer("Next", 77);
    image.save(path);

    AETaggedFile file(path);
    ASSERT_TRUE(file.openForRead());
    char tag[5];
    file.readHeader(tag);
    EXPECT_STREQ(file.readText(), "first");
    file.readHeader(tag);
    EXPECT_STREQ(file.readText(), "first") << "length 0: the previous text, nothing read";
    EXPECT_FALSE(file.textWasRead());
    file.readHeader(tag);
    EXPECT_STREQ(file.readText(), "first") << "length 2000 is skipped by its length";
    EXPECT_FALSE(file.textWasRead());
    EXPECT_EQ(file.readHeader(tag), AETaggedFile::kInteger);
    EXPECT_STREQ(tag, "Next");
    EXPECT_EQ(file.readInteger(), 77);
    EXPECT_FALSE(file.readFailed());
}

TEST(AETaggedFile, SkipsRecordsByTypeAndRefusesUnknownTypes) {
    TestDir dir;
    const std::string path = dir.file("skip.dat");
    RecordImage image;
    image.text("Skp1", "some text").integer("Skp2", 5).flag("Skp3", true).integer("Keep", 9);
    image.header(7, "Oddd").u32(1);
    image.save(path);

    AETaggedFile file(path);
    ASSERT_TRUE(file.openForRead());
    char tag[5];
    for (int32_t type : {1, 2, 3}) {
        EXPECT_EQ(file.readHeader(tag), type);
        EXPECT_TRUE(file.skipPayload(type));
    }
    EXPECT_EQ(file.readHeader(tag), 2);
    EXPECT_EQ(file.readInteger(), 9);
    EXPECT_EQ(file.readHeader(tag), 7);
    EXPECT_FALSE(file.skipPayload(7));
}

TEST(AETaggedFile, TruncatedPayloadsMarkTheReaderFailed) {
    TestDir dir;
    const std::string path = dir.file("short.dat");
    RecordImage image;
    image.rawText("Text", 50, "only ten b");
    image.save(path);
    AETaggedFile file(path);
    ASSERT_TRUE(file.openForRead());
    char tag[5];
    file.readHeader(tag);
    file.readText();
    EXPECT_TRUE(file.readFailed());
    EXPECT_FALSE(file.textWasRead());

    RecordImage skip;
    skip.rawText("Text", 4000, "abc");
    skip.save(path);
    ASSERT_TRUE(file.openForRead());
    file.readHeader(tag);
    EXPECT_FALSE(file.skipPayload(1)) << "a length past the end of the file";
    EXPECT_TRUE(file.readFailed());
}

// A write left unfinished or running out of room leaves the old file as it was: nothing
// touches it while writing, and no temporary file stays behind.
TEST(AETaggedFile, AWriteThatDoesNotFinishLeavesTheOldFile) {
    TestDir dir;
    const std::string path = dir.file("keep.dat");
    for (const bool full : {false, true}) {
        ProjectTest::writeFile(path, "old contents");
        bool finished = false;
        {
            std::optional<ProjectTest::FileSizeLimit> limit;
            if (full) {
                limit.emplace(4096);
            }
            AETaggedFile file(path);
            ASSERT_TRUE(file.openForWrite());
            for (int i = 0; i < (full ? 100 : 1); ++i) {
                file.writeText("Fill", std::string(1000, 'n'));
            }
            EXPECT_EQ(readFile(path), "old contents") << full;
            finished = full && file.finishWrite();
        } // unless full: destroyed without finishWrite
        EXPECT_FALSE(finished);
        EXPECT_EQ(readFile(path), "old contents") << full;
        EXPECT_FALSE(std::filesystem::exists(path + ".saving")) << full;
    }
}

} // namespace
