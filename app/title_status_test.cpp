#include <gtest/gtest.h>

#include "app/shell.h"

namespace {

TEST(TitleStatusLine, MatchesTheDocumentedExamples) {
    EXPECT_EQ(app::TitleStatusLine(5, 3, 0x38, "D:\\pics\\a.scr"), "x:5 y:3 attribute:00:111:000 file:D:\\pics\\a.scr");
    EXPECT_EQ(app::TitleStatusLine(31, 23, 0xC7, ""), "x:31 y:23 attribute:11:000:111 file:");
    EXPECT_EQ(app::TitleStatusLine(0, 0, 0x87, ""), "x:0 y:0 attribute:10:000:111 file:");
}

TEST(TitleStatusLine, WritesEveryByteAsItsEightBitsGrouped) {
    for (int value = 0; value < 256; ++value) {
        std::string title = app::TitleStatusLine(1, 2, static_cast<std::uint8_t>(value), "f");
        std::string prefix = "x:1 y:2 attribute:";
        ASSERT_EQ(title.substr(0, prefix.size()), prefix);
        std::string digits = title.substr(prefix.size(), 10);
        ASSERT_EQ(digits[2], ':');
        ASSERT_EQ(digits[6], ':');
        digits.erase(6, 1);
        digits.erase(2, 1);
        EXPECT_EQ(std::stoi(digits, nullptr, 2), value) << title;
        EXPECT_EQ(title.substr(prefix.size() + 10), " file:f");
    }
}

}  // namespace
