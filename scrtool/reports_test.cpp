// info and check: the facts found on screens made for the purpose, and the
// program's text, JSON and exit statuses.

#include <gtest/gtest.h>

#include <algorithm>

#include "scrtool/screen_facts.h"
#include "scrtool/scrtool_test_support.h"

namespace scrtool::testing {
namespace {

Screen Made(const ScreenBytes& bytes) {
    Screen screen;
    std::copy(bytes.begin(), bytes.end(), screen.begin());
    return screen;
}

// Every cell paper 7 ink 0 and a pixel in each, so that Optimize, which
// swaps a right-hand cell whose ink meets its neighbour's paper, has nothing
// to do; then a few cells are made to break one rule each.
ScreenBytes Tidy() {
    ScreenBytes screen{};
    for (int row = 0; row < 24; ++row)
        for (int column = 0; column < 32; ++column)
            AttributeOf(screen.data(), column, row) = 0x38 | 0;
    return screen;
}

TEST(Facts, FindEachKindOfCell) {
    ScreenBytes screen = Tidy();
    AttributeOf(screen.data(), 3, 1) |= 0x80;             // FLASH
    AttributeOf(screen.data(), 31, 23) |= 0x40;           // BRIGHT
    AttributeOf(screen.data(), 5, 2) = 0x12;              // ink 2 = paper 2, no pixel: visible enough
    AttributeOf(screen.data(), 6, 2) = 0x1B;              // ink 3 = paper 3 ...
    SetPixel(screen.data(), 6 * 8 + 7, 2 * 8 + 7, true);  // ... with its last pixel set
    const ScreenFacts facts = ExamineScreen(Made(screen));
    EXPECT_EQ(facts.flash, (std::vector<Cell>{{3, 1}}));
    EXPECT_EQ(facts.bright, (std::vector<Cell>{{31, 23}}));
    EXPECT_EQ(facts.invisiblePixels, (std::vector<Cell>{{6, 2}}));
    EXPECT_FALSE(facts.blank);
    EXPECT_EQ(facts.attributeCounts[0x38], 768 - 4);
    EXPECT_EQ(facts.attributeCounts[0x38 | 0x80], 1);
    EXPECT_EQ(facts.attributeCounts[0x1B], 1);
    int total = 0;
    for (const int count : facts.attributeCounts)
        total += count;
    EXPECT_EQ(total, 768);
}

TEST(Facts, OptimizeChangesAreTheCellsItRewrites) {
    // A row of paper 0 ink 7 after a cell of paper 7 ink 0: ink 0 meets paper
    // 0, so the second cell is swapped to paper 7 ink 0, and so on along the row.
    ScreenBytes screen = Tidy();
    for (int column = 1; column < 32; ++column)
        AttributeOf(screen.data(), column, 5) = 0x07;
    const ScreenFacts facts = ExamineScreen(Made(screen));
    std::vector<Cell> expected;
    for (int column = 1; column < 32; ++column)
        expected.push_back({column, 5});
    EXPECT_EQ(facts.optimizeChanges, expected);
    EXPECT_TRUE(ExamineScreen(Made(Tidy())).optimizeChanges.empty());
}

TEST(Facts, BlankMeansEveryByteZero) {
    EXPECT_TRUE(ExamineScreen(Screen{}).blank);
    Screen one{};
    one[6911] = 1;
    EXPECT_FALSE(ExamineScreen(one).blank);
    EXPECT_FALSE(Meets(ExamineScreen(Screen{}), Condition::NotBlank));
}

TEST(Json, FileNamesAreEscaped) {
    EXPECT_EQ(JsonString("a\"b\\c"), "\"a\\\"b\\\\c\"");
    EXPECT_EQ(JsonString("tab\there\nline"), "\"tab\\there\\nline\"");
    EXPECT_EQ(JsonString(std::string("\x01\x1f", 2)), "\"\\u0001\\u001f\"");
    EXPECT_EQ(JsonString("caf\xc3\xa9.scr"), "\"caf\xc3\xa9.scr\"");
    EXPECT_EQ(JsonString("bad\xff\xc3"), "\"bad\xef\xbf\xbd\xef\xbf\xbd\"");
}

TEST(Info, TextAndJsonForScreensOnTheCommandLine) {
    TempFolder folder;
    ScreenBytes screen = Tidy();
    AttributeOf(screen.data(), 2, 0) = 0x92;  // FLASH, ink 2 = paper 2
    SetPixel(screen.data(), 16, 0, true);
    const std::string name = folder / "we\"ird.scr";
    WriteBytes(name, ToBytes(screen));
    const RunResult text = RunTool({"info", name});
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_NE(text.out.find("cells with FLASH: 1 (2,0)"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("cells with invisible pixels (ink = paper): 1 (2,0)"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("all zero: no"), std::string::npos) << text.out;
    const RunResult json = RunTool({"info", "--json", name, "-"}, Bytes(6912, 0));
    ASSERT_EQ(json.status, 0) << json.err;
    EXPECT_EQ(json.out.front(), '[');
    EXPECT_NE(json.out.find("\"file\":\"" + folder / "we\\\"ird.scr\""), std::string::npos) << json.out;
    EXPECT_NE(json.out.find("\"flash\":[[2,0]],\"bright\":[],\"invisible_pixels\":[[2,0]]"), std::string::npos);
    EXPECT_NE(json.out.find("{\"file\":\"standard input\",\"attributes\":[{\"value\":0,\"cells\":768}]"),
              std::string::npos);
    EXPECT_NE(json.out.find("\"all_zero\":true}\n]\n"), std::string::npos) << json.out;
}

TEST(Check, EachConditionPassesAndFailsWithItsStatus) {
    TempFolder folder;
    WriteBytes(folder / "tidy.scr", ToBytes(Tidy()));
    WriteBytes(folder / "blank.scr", Bytes(6912, 0));
    ScreenBytes broken = Tidy();
    AttributeOf(broken.data(), 4, 7) = 0xC9;    // FLASH, BRIGHT, ink 1 = paper 1 ...
    SetPixel(broken.data(), 32, 56, true);      // ... with a pixel set
    AttributeOf(broken.data(), 10, 10) = 0x07;  // its paper 0 meets the ink 0 on its left
    WriteBytes(folder / "broken.scr", ToBytes(broken));
    const struct {
        std::string condition;
        std::string brokenMessage;
    } cases[] = {{"no-flash", "no-flash failed: 1 cells with FLASH: 4,7"},
                 {"no-bright", "no-bright failed: 1 cells with BRIGHT: 4,7"},
                 {"no-invisible-pixels", "no-invisible-pixels failed: 1 cells with ink = paper hide set pixels: 4,7"},
                 {"optimized", "optimized failed: 1 cells Optimize would change: 10,10\n"}};
    for (const auto& c : cases) {
        const RunResult pass = RunTool({"check", folder / "tidy.scr", "--require", c.condition});
        EXPECT_EQ(pass.status, 0) << c.condition << pass.err;
        EXPECT_EQ(pass.out + pass.err, "");
        const RunResult fail = RunTool({"check", folder / "tidy.scr", folder / "broken.scr", "--require", c.condition});
        EXPECT_EQ(fail.status, 1) << c.condition;
        EXPECT_EQ(fail.err.rfind("scrtool: " + folder / "broken.scr" + ": " + c.brokenMessage, 0), 0u) << fail.err;
    }
    const RunResult blank = RunTool({"check", "--require", "not-blank", folder / "blank.scr", folder / "tidy.scr"});
    EXPECT_EQ(blank.status, 1);
    EXPECT_EQ(blank.err, "scrtool: " + folder / "blank.scr" + ": not-blank failed: every byte is zero\n");
    const RunResult missing = RunTool({"check", folder / "none.scr", "--require", "no-flash"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("none.scr: cannot read"), std::string::npos);
}

}  // namespace
}  // namespace scrtool::testing
