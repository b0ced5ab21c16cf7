#include <gtest/gtest.h>

#include "files/file_names.h"

namespace files {
namespace {

struct NameCase {
    const char* name;
    const char* extension;  // null: none
    const char* base;
};

TEST(SplitFileNames, ExtensionAndBaseFollowTheLastPartOfTheName) {
    const NameCase cases[] = {
        {"pics/title.scr", "scr", "pics/title"},
        {"pics\\title.scr", "scr", "pics\\title"},
        {"pics/a.b.scr", "scr", "pics/a.b"},
        {"pics/title.", "", "pics/title"},
        {"pics/title", nullptr, "pics/title"},
        {"my.pics/title", nullptr, "my.pics/title"},
        {"pics/title.scr old", nullptr, "pics/title.scr old"},
        {"pics/.title", nullptr, "pics/.title"},
        {"my pics/title.scr", "scr", "my pics/title"},
        // Around the edges of the name.
        {".scr", nullptr, ".scr"},
        {"a.scr", "scr", "a"},
        {"a.", "", "a"},
        {"..", "", "."},
        {"", nullptr, ""},
        {"title", nullptr, "title"},
        {"pics\\.title", nullptr, "pics\\.title"},
        {"my.pics\\title", nullptr, "my.pics\\title"},
        {"/tmp/x.y/title.SCR", "SCR", "/tmp/x.y/title"},
        {"/tmp/title.s r", nullptr, "/tmp/title.s r"},
    };
    for (const NameCase& c : cases) {
        const std::optional<std::string> extension = FileExtension(c.name);
        if (c.extension) {
            ASSERT_TRUE(extension.has_value()) << c.name;
            EXPECT_EQ(*extension, c.extension) << c.name;
        } else {
            EXPECT_FALSE(extension.has_value()) << c.name << " gave " << extension.value_or("");
        }
        EXPECT_EQ(SplitBaseName(c.name), c.base) << c.name;
    }
}

}  // namespace
}  // namespace files
