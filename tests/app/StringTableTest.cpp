#include "StringTable.h"

#include <gtest/gtest.h>

#include <regex>

namespace {

TEST(StringTable, EveryIdExistsInAllFourLanguages) {
    const StringTable& table = StringTable::instance();
    constexpr int32_t kOffsets[] = {StringTable::kEnglish, StringTable::kGerman,
                                    StringTable::kJapanese, StringTable::kFrench};
    for (int32_t offset : kOffsets) {
        for (int32_t id = StringTable::kFirstId; id <= StringTable::kLastId; ++id) {
            const std::string* text = table.find(id + offset);
            ASSERT_NE(text, nullptr) << "id " << id << " offset " << offset;
            EXPECT_FALSE(text->empty()) << "id " << id << " offset " << offset;
        }
    }
    // Ids added later, above the original range, are translated too: an id present in
    // one language is present in all four.
    size_t count = 0;
    for (int32_t id = StringTable::kFirstId; id < StringTable::kFirstId + StringTable::kGerman;
         ++id) {
        int present = 0;
        for (int32_t offset : kOffsets) {
            const std::string* text = table.find(id + offset);
            present += text != nullptr && !text->empty() ? 1 : 0;
        }
        EXPECT_TRUE(present == 0 || present == 4) << "id " << id << " in " << present;
        count += present;
    }
    EXPECT_EQ(table.size(), count);
    EXPECT_EQ(table.find(2999), nullptr);
}

TEST(StringTable, TranslationsKeepThePlaceholdersOfTheEnglishText) {
    const StringTable& table = StringTable::instance();
    const std::regex placeholder(R"(%[-+ #0]*[0-9]*(?:\.[0-9]+)?(?:l|ll|h)?[diouxXfFeEgGcsp%])");
    auto placeholders = [&](const std::string& text) {
        std::string all;
        for (std::sregex_iterator it(text.begin(), text.end(), placeholder), end; it != end; ++it) {
            all += it->str();
        }
        return all;
    };
    for (int32_t id = StringTable::kFirstId; id <= StringTable::kLastId; ++id) {
        const std::string english = placeholders(*table.find(id));
        for (int32_t offset :
             {StringTable::kGerman, StringTable::kJapanese, StringTable::kFrench}) {
            EXPECT_EQ(placeholders(*table.find(id + offset)), english) << "id " << id;
        }
    }
}

TEST(StringTable, ParsesEscapesCommentsAndRejectsMalformedLines) {
    std::unordered_map<int32_t, std::string> out;
    EXPECT_TRUE(StringTable::parse("# comment\n\n3000\tone\\ntwo\\tx\\\\y\r\n", 1000, out));
    ASSERT_EQ(out.count(4000), 1u);
    EXPECT_EQ(out[4000], "one\ntwo\tx\\y");
    EXPECT_FALSE(StringTable::parse("30x0\tbad\n3001 no tab\n", 0, out));
    EXPECT_EQ(out.size(), 1u);
}

} // namespace
