// convert: exact where the target mode holds the picture cell for cell (a
// screen into a bordered one and back too), the nearest screen through import
// where it does not, and nothing written for a file no mode takes.

#include <algorithm>
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "modes/picture_modes.h"
#include "scrtool/command_table.h"
#include "scrtool/scrtool_test_support.h"

namespace scrtool::testing {
namespace {

constexpr std::size_t BitmapBytes = 6144;

// Where pixel line y starts in the screen-interleaved bitmap.
std::size_t InterleavedLine(int y) {
    return static_cast<std::size_t>(((y & 0xC0) << 5) | ((y & 7) << 8) | ((y & 0x38) << 2));
}

Bytes Joined(const Bytes& first, const Bytes& second) {
    Bytes both = first;
    both.insert(both.end(), second.begin(), second.end());
    return both;
}

TEST(Convert, McToMltReordersTheBitmapAndComesBackByteExact) {
    TempFolder folder;
    // A .mlt whose bitmap is a real screen's and whose line attributes come
    // from two screens, so a converter that copied or kept one order fails.
    const Bytes screen = ToBytes(RealScreens()[2].bytes);
    const Bytes other = ToBytes(RealScreens()[5].bytes);
    Bytes mlt(screen.begin(), screen.begin() + BitmapBytes);
    mlt.insert(mlt.end(), other.begin(), other.begin() + BitmapBytes);
    Bytes mc(mlt.size());
    for (int y = 0; y < 192; ++y)
        std::copy_n(mlt.begin() + static_cast<std::ptrdiff_t>(InterleavedLine(y)), 32, mc.begin() + y * 32);
    std::copy(mlt.begin() + BitmapBytes, mlt.end(), mc.begin() + BitmapBytes);
    WriteBytes(folder / "art.mc", mc);

    const RunResult there = RunTool({"convert", folder / "art.mc", "-o", folder / "art.mlt"});
    ASSERT_EQ(there.status, 0) << there.err;
    EXPECT_EQ(ReadBytes(folder / "art.mlt"), mlt);
    const RunResult back = RunTool({"convert", folder / "art.mlt", "-o", folder / "again.mc"});
    ASSERT_EQ(back.status, 0) << back.err;
    EXPECT_EQ(ReadBytes(folder / "again.mc"), mc);
}

TEST(Convert, ScreenToGigascreenIsTheScreenTwiceAndComesBackByteExact) {
    TempFolder folder;
    const Bytes screen = ToBytes(RealScreens()[3].bytes);
    WriteBytes(folder / "title.scr", screen);
    ASSERT_EQ(RunTool({"convert", folder / "title.scr", "-o", folder / "title.img"}).status, 0);
    EXPECT_EQ(ReadBytes(folder / "title.img"), Joined(screen, screen));
    const RunResult back = RunTool({"convert", folder / "title.img", "-o", folder / "back.scr"});
    ASSERT_EQ(back.status, 0) << back.err;
    EXPECT_EQ(ReadBytes(folder / "back.scr"), screen);
}

TEST(Convert, ScreenToBorderedScreenAndBackIsByteExactAndTheLostBorderIsSaid) {
    TempFolder folder;
    for (std::size_t index : {0u, 6u, 9u}) {
        const Bytes screen = ToBytes(RealScreens()[index].bytes);
        WriteBytes(folder / "title.scr", screen);
        for (const char* bordered : {"title.bsc", "title.bmc4"}) {
            const RunResult there = RunTool({"convert", folder / "title.scr", "-o", folder / bordered});
            ASSERT_EQ(there.status, 0) << there.err;
            EXPECT_EQ(there.err, "");
            const Bytes written = ReadBytes(folder / bordered);
            EXPECT_TRUE(std::equal(screen.begin(), screen.begin() + BitmapBytes, written.begin())) << bordered;
            EXPECT_TRUE(std::all_of(written.end() - 4224, written.end(), [](std::uint8_t b) { return b == 0; }));
            const RunResult back = RunTool({"convert", folder / bordered, "-o", folder / "back.scr"});
            ASSERT_EQ(back.status, 0) << back.err;
            EXPECT_EQ(ReadBytes(folder / "back.scr"), screen) << index << " " << bordered;
            EXPECT_EQ(back.err, "scrtool: " + std::string(folder / bordered) +
                                    ": the border is dropped: the classic mode has none, so only the screen area "
                                    "is written\n");
        }
    }
}

TEST(Convert, GigascreenOfTwoScreensGivesTheNearestClassicScreen) {
    TempFolder folder;
    const Bytes first = ToBytes(RealScreens()[1].bytes);
    const Bytes second = ToBytes(RealScreens()[4].bytes);
    WriteBytes(folder / "pair.img", Joined(first, second));
    const RunResult run = RunTool({"convert", folder / "pair.img", "-o", folder / "pair.scr"});
    ASSERT_EQ(run.status, 0) << run.err;
    const Bytes written = ReadBytes(folder / "pair.scr");
    ASSERT_EQ(written.size(), first.size());
    // Made from the averaged picture, not one frame copied out.
    EXPECT_NE(written, first);
    EXPECT_NE(written, second);
    // Import never sets FLASH; a frame's attributes copied through would.
    EXPECT_TRUE(std::none_of(written.begin() + BitmapBytes, written.end(), [](std::uint8_t a) { return a & 0x80; }));
}

TEST(Convert, ASizeNoModeTakesOrAnOutputNoModeIsRefusedWritingNothing) {
    TempFolder folder;
    Bytes img = Joined(ToBytes(RealScreens()[0].bytes), ToBytes(RealScreens()[1].bytes));
    img.pop_back();
    WriteBytes(folder / "short.img", img);
    const auto before = folder.names();
    const RunResult run = RunTool({"convert", folder / "short.img", "-o", folder / "out.scr"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_EQ(folder.names(), before);
    // An output no mode's reader would take back, though import would name it a screen.
    WriteBytes(folder / "title.scr", ToBytes(RealScreens()[0].bytes));
    const auto ready = folder.names();
    for (const char* output : {"out.png", "out.hlr"}) {
        const RunResult wrong = RunTool({"convert", folder / "title.scr", "-o", folder / output});
        EXPECT_NE(wrong.status, 0) << output;
        EXPECT_NE(wrong.err.find("convert writes .scr .img .mlt"), std::string::npos) << wrong.err;
        EXPECT_EQ(folder.names(), ready);
    }
}

TEST(ConvertRow, ReadsTheExtensionsOfEveryMode) {
    std::set<std::string_view> modes;
    for (const modes::PictureMode& mode : modes::PictureModes())
        modes.insert(mode.extensions.begin(), mode.extensions.end());
    const std::vector<std::string_view> words = Words(CommandNamed("convert")->inputs);
    EXPECT_EQ(std::set<std::string_view>(words.begin(), words.end()), modes);
}

}  // namespace
}  // namespace scrtool::testing
