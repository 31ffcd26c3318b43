#include "RegistryStore.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

// Each test uses a key of its own, so tests never see each other's values.
std::string keyFor(const char* test) {
    return std::string("SOFTWARE\\GleamTests\\") + test;
}

std::string fileFor(const char* test) {
    return std::string(std::getenv("XDG_CONFIG_HOME")) + "/GleamTests/" + test + ".conf";
}

TEST(RegistryStore, WritesCreateTheKeyAndKeepKinds) {
    const char* test = "Kinds";
    RegistryStore writer(keyFor(test));
    writer.writeInt("mme_numBuff_play", 6);
    writer.writeText("importName", "/home/u/track.wav");
    writer.writeText("customLang", "frXX", 2);
    writer.writeFlag("loopButton", true);
    std::ifstream file(fileFor(test));
    EXPECT_TRUE(file.good()) << "the write must create the store";

    // A second store on the same key sees the values at once.
    RegistryStore reader(keyFor(test));
    int32_t n = 0;
    EXPECT_TRUE(reader.readInt("mme_numBuff_play", n, 4));
    EXPECT_EQ(n, 6);
    std::string text;
    EXPECT_TRUE(reader.readText("importName", text, "c:\\track.wav"));
    EXPECT_EQ(text, "/home/u/track.wav");
    EXPECT_TRUE(reader.readText("customLang", text, "-", 511));
    EXPECT_EQ(text, "fr");
    int32_t stored = 0;
    EXPECT_TRUE(reader.readInt("loopButton", stored, 0));
    EXPECT_EQ(stored, 1) << "a true flag is stored as 1";
    // A flag of any number but 0 is true.
    writer.writeInt("monoButton", 7);
    writer.writeInt("loopButton", 0);
    bool flag = false;
    EXPECT_TRUE(reader.readFlag("monoButton", flag, false));
    EXPECT_TRUE(flag);
    EXPECT_TRUE(reader.readFlag("loopButton", flag, true));
    EXPECT_FALSE(flag);
    // A text is not a number.
    EXPECT_FALSE(reader.readInt("importName", n, 42));
    EXPECT_EQ(n, 42);
    EXPECT_FALSE(reader.readText("mme_numBuff_play", text, "-"));
}

TEST(RegistryStore, TextIsCutToTheCapacityOnACharacterBoundary) {
    RegistryStore store(keyFor("Capacity"));
    store.writeText("projectDir", "/home/user/Schallplatten");
    char buffer[11];
    EXPECT_TRUE(store.readText("projectDir", buffer, "-", 10));
    EXPECT_STREQ(buffer, "/home/user");
    // "ü" takes two bytes; a cut in its middle backs off to before it.
    store.writeText("lastDirectory", "abcü");
    std::string text;
    EXPECT_TRUE(store.readText("lastDirectory", text, "-", 4));
    EXPECT_EQ(text, "abc");
}

// A rectangle is stored as four numbers; a stored text of fewer reads false with what it
// holds and the default for the rest; an absent one gives the default.
TEST(RegistryStore, RectangleRules) {
    RegistryStore store(keyFor("Rects"));
    store.writeRect("frame", ARect{1, -2, 300, 400});
    std::string text;
    ASSERT_TRUE(store.readText("frame", text, "-"));
    EXPECT_EQ(text, "1 -2 300 400");
    store.writeText("three", "10 20 30");
    const auto sides = [](const ARect& r) {
        return std::vector<int32_t>{r.left, r.top, r.right, r.bottom};
    };
    const struct {
        const char* name;
        bool found;
        std::vector<int32_t> sides;
    } rows[] = {{"frame", true, {1, -2, 300, 400}},
                {"three", false, {10, 20, 30, 4}},
                {"absent", false, {1, 2, 3, 4}}};
    for (const auto& row : rows) {
        ARect rect;
        EXPECT_EQ(store.readRect(row.name, rect, ARect{1, 2, 3, 4}), row.found) << row.name;
        EXPECT_EQ(sides(rect), row.sides) << row.name;
    }
}

TEST(RegistryStore, DamagedFileGivesDefaultsAndIsNotOverwritten) {
    const char* test = "Damaged";
    RegistryStore store(keyFor(test));
    store.writeInt("idPlayDevice", 3);
    {
        std::ofstream damaged(fileFor(test), std::ios::trunc);
        damaged << "[General]\nidPlayDevice=2\n\x01\x02[[[\n=\n[General\nvolOutLeft=abc\n"
                << "wndXpos=99999999999999\n";
    }
    int32_t n = 0;
    // Whatever the parser made of the damaged lines, reads give a value or the default.
    store.readInt("idPlayDevice", n, 0);
    EXPECT_TRUE(n == 0 || n == 2);
    EXPECT_FALSE(store.readInt("volOutLeft", n, 65535));
    EXPECT_EQ(n, 65535);
    EXPECT_FALSE(store.readInt("wndXpos", n, 5)) << "a number beyond 32 bits is no number";
    EXPECT_EQ(n, 5);
}

} // namespace
