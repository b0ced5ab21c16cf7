#include "modes/picture_modes.h"

#include <gtest/gtest.h>

namespace {

using modes::ModeFor;

TEST(ModeFor, ExtensionAndSizeTogetherChooseTheRow) {
    struct Case {
        const char* extension;
        std::uint64_t size;
        const char* mode;  // null: refused
    };
    const Case cases[] = {
        {"scr", 6912, "classic"}, {".SCR", 6912, "classic"}, {"Scr", 6913, "classic"}, {"scr", 6144, "bitmap"},
        {"scr", 6911, nullptr},   {"scr", 6914, nullptr},    {"scr", 6143, nullptr},   {"scr", 6145, nullptr},
        {"png", 6912, nullptr},   {"", 6912, nullptr},       {"scrx", 6912, nullptr},  {"sc", 6912, nullptr},
    };
    for (const Case& c : cases) {
        const modes::PictureMode* mode = ModeFor(c.extension, c.size);
        if (!c.mode) {
            EXPECT_EQ(mode, nullptr) << c.extension << " " << c.size;
            continue;
        }
        ASSERT_NE(mode, nullptr) << c.extension << " " << c.size;
        EXPECT_EQ(mode->name, c.mode) << c.extension << " " << c.size;
    }
}

// Callers tell the classic screen by its row's address.
TEST(ClassicMode, IsTheRowModeForFinds) {
    EXPECT_EQ(ModeFor("scr", 6912), &modes::ClassicMode());
    EXPECT_EQ(modes::ModeNamed("classic"), &modes::ClassicMode());
}

// Two rows that took one extension and size would leave a file's mode to the
// order of the table.
TEST(PictureModes, NoTwoRowsTakeTheSameFile) {
    const auto rows = modes::PictureModes();
    for (std::size_t a = 0; a < rows.size(); ++a) {
        EXPECT_FALSE(rows[a].name.empty());
        EXPECT_NE(rows[a].decode, nullptr) << rows[a].name;
        EXPECT_TRUE(rows[a].width > 0 || rows[a].sizeTest) << rows[a].name;  // or the header gives it
        for (std::uint64_t size : rows[a].sizes)
            EXPECT_LE(size, rows[a].largestSize) << rows[a].name;
        for (std::size_t b = a + 1; b < rows.size(); ++b) {
            EXPECT_NE(rows[a].name, rows[b].name);
            for (std::string_view extension : rows[a].extensions)
                for (std::uint64_t size : rows[a].sizes)
                    EXPECT_FALSE(std::find(rows[b].extensions.begin(), rows[b].extensions.end(), extension) !=
                                     rows[b].extensions.end() &&
                                 rows[b].Accepts(size))
                        << rows[a].name << " and " << rows[b].name << " both take ." << extension << " of " << size;
        }
    }
}

TEST(PictureModes, EveryAcceptedSizeDecodesRandomBytes) {
    std::uint32_t state = 12345;
    for (const modes::PictureMode& mode : modes::PictureModes())
        for (std::uint64_t size : mode.sizes) {
            if (mode.headerBytes > 0)
                continue;  // a signature random bytes lack: formats_test.cpp plants it
            std::vector<std::uint8_t> bytes(size);
            for (auto& byte : bytes) {
                state = state * 1103515245u + 12345u;
                byte = static_cast<std::uint8_t>(state >> 16);
            }
            const auto decoded = mode.decode(bytes, screen::FlashPhase::First);
            ASSERT_TRUE(decoded.ok()) << mode.name << " " << size << ": " << decoded.error().Message();
            EXPECT_EQ(decoded->width, mode.width) << mode.name;
            EXPECT_EQ(decoded->height, mode.height) << mode.name;
            EXPECT_EQ(decoded->frames, mode.frames) << mode.name;
            EXPECT_EQ(decoded->rowRepeat, mode.rowRepeat) << mode.name;
            EXPECT_EQ(decoded->pixels.size(), static_cast<std::size_t>(mode.frames) * mode.width * mode.height);
        }
}

TEST(LargestSizeFor, IsTheLargestOfEveryRowOfTheExtension) {
    EXPECT_EQ(modes::LargestSizeFor("SCR"), 12352u);  // Timex hi-colour with a ULAplus palette
    EXPECT_EQ(modes::LargestSizeFor("png"), 0u);
}

}  // namespace
