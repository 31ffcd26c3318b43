#include "FFileSystem.h"
#include "support/TestDirs.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(FFileStream, ValuesFollowTheByteOrderFlag) {
    TestDir dir;
    const std::string path = dir.file("order.bin");
    {
        auto stream = FFileSystem::create(path);
        ASSERT_TRUE(stream);
        stream->setLittleEndian();
        EXPECT_TRUE(stream->writeUInt32(0x11223344u));
        EXPECT_TRUE(stream->writeInt16(-2));
        stream->setBigEndian();
        EXPECT_TRUE(stream->writeUInt32(0x11223344u));
        EXPECT_TRUE(stream->writeUInt16(0xA1B2u));
    }
    auto stream = FFileSystem::open(path, FAccessMode::kRead);
    ASSERT_TRUE(stream);
    EXPECT_EQ(stream->size(), 12);
    unsigned char raw[12];
    ASSERT_EQ(stream->read(raw, 12), 12);
    const unsigned char expected[12] = {0x44, 0x33, 0x22, 0x11, 0xFE, 0xFF,
                                        0x11, 0x22, 0x33, 0x44, 0xA1, 0xB2};
    EXPECT_EQ(std::memcmp(raw, expected, 12), 0);

    // Reading back in either order: the WAVE and AIFF tests. At the end a value read fails
    // instead of inventing one.
    uint16_t u16 = 7;
    EXPECT_FALSE(stream->readUInt16(u16));
    EXPECT_EQ(u16, 7u);
}

TEST(FFileStream, SeekOriginsAndMixedReadWrite) {
    TestDir dir;
    const std::string path = dir.file("seek.bin");
    auto stream = FFileSystem::create(path);
    ASSERT_TRUE(stream);
    const char text[] = "0123456789";
    ASSERT_EQ(stream->write(text, 10), 10);
    EXPECT_EQ(stream->seek(2, FSeekOrigin::kBegin), 2);
    EXPECT_EQ(stream->seek(3, FSeekOrigin::kCurrent), 5);
    EXPECT_EQ(stream->seek(-1, FSeekOrigin::kEnd), 9);
    EXPECT_LT(stream->seek(-100, FSeekOrigin::kBegin), 0);
    stream->seek(4);
    char c = 0;
    ASSERT_EQ(stream->read(&c, 1), 1);
    EXPECT_EQ(c, '4');
    // A write straight after a read lands at the current position.
    ASSERT_EQ(stream->write("X", 1), 1);
    ASSERT_EQ(stream->read(&c, 1), 1);
    EXPECT_EQ(c, '6');
    EXPECT_TRUE(stream->flush());
    EXPECT_EQ(FFileSystem::size(path), 10);
    stream->rewind();
    char all[10];
    ASSERT_EQ(stream->read(all, 10), 10);
    EXPECT_EQ(std::string(all, 10), "01234X6789");
}

TEST(FFileSystem, OpenCreateRenameDelete) {
    TestDir dir;
    EXPECT_FALSE(FFileSystem::open(dir.file("missing"), FAccessMode::kRead));
    // A directory is not a file.
    EXPECT_FALSE(FFileSystem::open(dir.path(), FAccessMode::kRead));
    {
        auto stream = FFileSystem::create(dir.file("a.wav"));
        ASSERT_TRUE(stream);
        stream->write("abc", 3);
        FFileSystem::close(stream);
        EXPECT_FALSE(stream);
    }
    EXPECT_EQ(FFileSystem::size(dir.file("a.wav")), 3);
    // Never over an existing file: AudioFileTest.
    EXPECT_TRUE(FFileSystem::rename(dir.file("a.wav"), "b.wav"));
    EXPECT_FALSE(FFileSystem::exists(dir.file("a.wav")));
    EXPECT_TRUE(FFileSystem::exists(dir.file("b.wav")));
    auto stream = FFileSystem::open(dir.file("b.wav"), FAccessMode::kReadWrite);
    ASSERT_TRUE(stream);
    EXPECT_EQ(FFileSystem::size(*stream), 3);
    stream.reset();
    EXPECT_TRUE(FFileSystem::remove(dir.file("b.wav")));
    EXPECT_FALSE(FFileSystem::remove(dir.file("b.wav")));
    EXPECT_EQ(FFileSystem::size(dir.file("b.wav")), -1);
}

} // namespace
