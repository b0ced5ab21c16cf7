#include <gtest/gtest.h>

#include "toolkit/controls/file_filters.h"

namespace toolkit {
namespace {

using Filters = std::vector<std::string>;

TEST(FileFilters, TheProgramsPatternListGivesQtsFilters) {
    EXPECT_EQ(FileFiltersOf("All files (*.*)|*.*|ZX Spectrum screens (*.scr)|*.scr;*.bat"),
              (Filters{"All files (*.*) (*)", "ZX Spectrum screens (*.scr) (*.scr *.bat)"}));
}

TEST(FileFilters, OddListsEndWhereTheListWouldEnd) {
    EXPECT_EQ(FileFiltersOf(""), Filters{});
    EXPECT_EQ(FileFiltersOf("Screens|*.scr|"), Filters{"Screens (*.scr)"});
    EXPECT_EQ(FileFiltersOf("Screens|*.scr|Lonely label"), Filters{"Screens (*.scr)"});
    EXPECT_EQ(FileFiltersOf("A|*.a||*.b|C|*.c"), Filters{"A (*.a)"});
    EXPECT_EQ(FileFiltersOf("Empty|;|B|*.b"), Filters{"B (*.b)"});
    EXPECT_EQ(FileFiltersOf("Spaced| *.a ; *.b ;|"), Filters{"Spaced (*.a *.b)"});
    EXPECT_EQ(FileFiltersOf("Any|*"), Filters{"Any (*)"});
}

TEST(FileFilters, DefaultFileSplitsIntoFolderAndPlainName) {
    const struct {
        const char* given;
        const char* folder;
        const char* name;
    } cases[] = {
        {"", "", ""},
        {"a.scr", "", "a.scr"},
        {"/home/me/pics/a.scr", "/home/me/pics", "a.scr"},
        {"/a.scr", "/", "a.scr"},
        {"/home/me/", "/home/me", ""},
        {"/home/me/a?.scr", "/home/me", ""},
        {"/home/me/a*.scr", "/home/me", ""},
        {"x:y", "", ""},
        {"a\\b", "", ""},
        {"tab\there", "", ""},
        {"\"quoted\"", "", ""},
        {"a<b>", "", ""},
        {"a|b", "", ""},
        {"/pics/\xc3\xa9t\xc3\xa9.scr", "/pics", "\xc3\xa9t\xc3\xa9.scr"},
    };
    for (const auto& c : cases) {
        DefaultFile split = SplitDefaultFile(c.given);
        EXPECT_EQ(split.folder, c.folder) << c.given;
        EXPECT_EQ(split.name, c.name) << c.given;
    }
}

}  // namespace
}  // namespace toolkit
