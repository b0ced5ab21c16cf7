// png, info, check and thumbnail over the picture modes beyond the classic
// screen: files built by hand from the layout, read back from the program.

#include <cmath>

#include <gtest/gtest.h>

#include "modes/picture_modes.h"
#include "scrtool/picture.h"
#include "scrtool/scrtool_test_support.h"

namespace scrtool::testing {
namespace {

// The window's level of a lit channel of screen colour `number` in a
// standard screen's cell at (x, y), by the layout alone.
render::Rgb ScreenColour(const ScreenBytes& screen, int x, int y) {
    const std::uint8_t attr = AttributeOf(screen.data(), x / 8, y / 8);
    const int number = PixelOf(screen.data(), x, y) ? attr & 7 : (attr >> 3) & 7;
    const auto level = static_cast<std::uint8_t>(attr & 0x40 ? 255 : 127);
    return {static_cast<std::uint8_t>(number & 2 ? level : 0), static_cast<std::uint8_t>(number & 4 ? level : 0),
            static_cast<std::uint8_t>(number & 1 ? level : 0)};
}

double Linear(int v) {
    const double e = v / 255.0;
    return e <= 0.04045 ? e / 12.92 : std::pow((e + 0.055) / 1.055, 2.4);
}

// The sRGB level nearest the mean of two levels in linear light.
std::uint8_t Mixed(std::uint8_t a, std::uint8_t b) {
    const double mean = (Linear(a) + Linear(b)) / 2;
    int best = 0;
    for (int v = 1; v < 256; ++v)
        if (std::abs(Linear(v) - mean) < std::abs(Linear(best) - mean))
            best = v;
    return static_cast<std::uint8_t>(best);
}

Bytes Random(std::size_t size, std::uint32_t seed) {
    Bytes bytes(size);
    for (auto& byte : bytes) {
        seed = seed * 1103515245u + 12345u;
        byte = static_cast<std::uint8_t>(seed >> 16);
    }
    return bytes;
}

// A gigascreen is seen as its two screens' mean in linear light: a pixel lit
// in one screen only is 188, not the 127 an sRGB mean would give; and the
// picture is each screen's own pixel, not a neighbour's.
TEST(ModesPng, GigascreenIsTheMeanOfItsScreensInLinearLight) {
    TempFolder folder;
    const ScreenBytes& first = RealScreens()[1].bytes;
    const ScreenBytes& second = RealScreens()[4].bytes;
    Bytes img = ToBytes(first);
    const Bytes other = ToBytes(second);
    img.insert(img.end(), other.begin(), other.end());
    WriteBytes(folder / "pair.img", img);
    const RunResult run = RunTool({"png", folder / "pair.img", "--scale", "1", "-o", "-"});
    ASSERT_EQ(run.status, 0) << run.err;
    const Image picture = DecodePng(Bytes(run.out.begin(), run.out.end()));
    ASSERT_EQ(picture.width, 256);
    ASSERT_EQ(picture.height, 192);
    int differing = 0;
    for (int y = 0; y < 192; ++y)
        for (int x = 0; x < 256; ++x) {
            const render::Rgb a = ScreenColour(first, x, y), b = ScreenColour(second, x, y);
            const render::Rgb expected{Mixed(a.red, b.red), Mixed(a.green, b.green), Mixed(a.blue, b.blue)};
            differing += !(picture.at(x, y) == expected);
        }
    EXPECT_EQ(differing, 0);
}

// The output sizes of the modes' pictures at scale 1 and 2.
TEST(ModesPng, EachModeHasItsOwnPictureSize) {
    TempFolder folder;
    const struct {
        const char* name;
        std::size_t size;
        int width, height;
    } files[] = {{"hires.scr", 12289, 512, 384}, {"border.bsc", 11136, 384, 304}, {"wide.bmc4", 11904, 384, 304},
                 {"bits.scr", 6144, 256, 192},   {"colour.mlt", 12288, 256, 192}, {"font.ch8", 768, 256, 24}};
    for (const auto& file : files) {
        WriteBytes(folder / file.name, Random(file.size, 7));
        for (const int scale : {1, 2}) {
            const RunResult run = RunTool({"png", folder / file.name, "--scale", std::to_string(scale), "-o", "-"});
            ASSERT_EQ(run.status, 0) << file.name << ": " << run.err;
            const Image picture = DecodePng(Bytes(run.out.begin(), run.out.end()));
            EXPECT_EQ(picture.width, file.width * scale) << file.name;
            EXPECT_EQ(picture.height, file.height * scale) << file.name;
        }
    }
}

// Every fixed size of every row draws; a byte less or more is one line,
// status 1, and no picture. A size another row of the extension takes is
// that row's.
TEST(ModesPng, EverySizeDrawsAndItsNeighboursAreRefused) {
    TempFolder folder;
    std::uint32_t seed = 1;
    for (const modes::PictureMode& mode : modes::PictureModes()) {
        const std::string extension(mode.extensions.front());
        for (const std::uint64_t size : mode.sizes) {
            for (const std::uint64_t tried : {size - 1, size, size + 1}) {
                const Bytes bytes = Random(tried, ++seed);
                const std::string name = folder / ("x." + extension);
                const std::string picture = folder / "x.png";
                WriteBytes(name, bytes);
                std::filesystem::remove(picture);
                const modes::PictureMode* row = modes::ModeFor(extension, tried);
                const bool decodes = row && row->decode(bytes, screen::FlashPhase::First).ok();
                const RunResult run = RunTool({"png", name, "-o", picture});
                SCOPED_TRACE(std::string(mode.name) + " " + std::to_string(tried));
                EXPECT_EQ(run.status, decodes ? 0 : 1) << run.err;
                EXPECT_EQ(std::filesystem::exists(picture), decodes);
                if (!row) {
                    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
                    EXPECT_NE(run.err.find("not a"), std::string::npos) << run.err;
                }
            }
        }
    }
}

TEST(ModesInfo, NamesTheModeAndItsFacts) {
    TempFolder folder;
    Bytes img = ToBytes(RealScreens()[0].bytes);
    const Bytes second = ToBytes(RealScreens()[0].bytes);
    img.insert(img.end(), second.begin(), second.end());
    WriteBytes(folder / "same.img", img);
    const RunResult text = RunTool({"info", folder / "same.img"});
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_NE(text.out.find("mode: gigascreen (13824 bytes)"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("256x192, 2 frames"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("cells: 8x8"), std::string::npos) << text.out;
    const RunResult json = RunTool({"info", "--json", folder / "same.img"});
    ASSERT_EQ(json.status, 0) << json.err;
    EXPECT_NE(json.out.find("\"mode\":\"gigascreen\",\"size\":13824,\"width\":256,\"height\":192,\"frames\":2,"),
              std::string::npos)
        << json.out;
    // Both frames are the same screen: the same colour sets in each.
    const std::size_t used = json.out.find("\"attributes_used\":[");
    ASSERT_NE(used, std::string::npos);
    const std::string counts = json.out.substr(used + 19, json.out.find(']', used) - used - 19);
    const std::size_t comma = counts.find(',');
    ASSERT_NE(comma, std::string::npos);
    EXPECT_EQ(counts.substr(0, comma), counts.substr(comma + 1));
}

// Frames worked out by hand: black against BRIGHT white is a difference of
// 1 in luminance at every pixel; white without BRIGHT is the window's level
// 127, 0.2122 in linear light.
TEST(ModesInfo, GivesTheMeanFlickerOfTwoFramesAfterTheOtherLines) {
    TempFolder folder;
    Bytes img(2 * 6912, 0);
    std::fill(img.begin() + 6912 + 6144, img.end(), 0x78);  // frame 2: PAPER 7, BRIGHT
    WriteBytes(folder / "blink.img", img);
    const RunResult text = RunTool({"info", folder / "blink.img"});
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_EQ(text.out.substr(text.out.find("  attributes used:")),
              "  attributes used: frame 1: 1, frame 2: 1\n  flicker: 1.000\n");
    const RunResult json = RunTool({"info", "--json", folder / "blink.img"});
    EXPECT_NE(json.out.find("\"attributes_used\":[1,1],\"flicker\":1.000}"), std::string::npos) << json.out;

    std::fill(img.begin() + 6912 + 6144, img.end(), 0);
    std::fill(img.begin() + 6912 + 6144, img.begin() + 6912 + 6144 + 384, 0x38);  // upper half: PAPER 7
    WriteBytes(folder / "half.img", img);
    EXPECT_NE(RunTool({"info", folder / "half.img"}).out.find("\n  flicker: 0.106\n"), std::string::npos);

    // .mg1: frame 1 BRIGHT white in the middle 16 columns' 8 x 1 cells alone.
    Bytes mg1(19456, 0);
    std::copy_n("MGH\x01\x01", 5, mg1.begin());
    std::fill(mg1.begin() + 12544, mg1.begin() + 15616, 0x78);
    WriteBytes(folder / "middle.mg1", mg1);
    const RunResult middle = RunTool({"info", folder / "middle.mg1"});
    EXPECT_NE(middle.out.find("\n  flicker: 0.500\n"), std::string::npos) << middle.out;

    WriteBytes(folder / "one.mlt", Random(12288, 4));
    EXPECT_EQ(RunTool({"info", folder / "one.mlt"}).out.find("flicker"), std::string::npos);
}

TEST(ModesCheckAndThumbnail, TakeEveryMode) {
    TempFolder folder;
    WriteBytes(folder / "zero.mlt", Bytes(12288, 0));
    WriteBytes(folder / "some.mlt", Random(12288, 3));
    EXPECT_EQ(RunTool({"check", folder / "some.mlt", "--require", "not-blank"}).status, 0);
    const RunResult blank = RunTool({"check", folder / "zero.mlt", "--require", "not-blank"});
    EXPECT_EQ(blank.status, 1);
    EXPECT_NE(blank.err.find("every byte is zero"), std::string::npos) << blank.err;
    const RunResult thumbnail = RunTool({"thumbnail", folder / "some.mlt", folder / "t.png", "64"});
    ASSERT_EQ(thumbnail.status, 0) << thumbnail.err;
    const Image small = DecodePng(ReadBytes(folder / "t.png"));
    EXPECT_EQ(small.width, 64);
    EXPECT_EQ(small.height, 48);
}

// The animation of a gigascreen's frames shows its first screen first (a
// viewer without animation shows that frame), at 50 Hz, two frames.
TEST(ModesFrames, TheAnimationStartsWithTheFirstScreenAt50Hz) {
    const ScreenBytes& first = RealScreens()[2].bytes;
    const ScreenBytes& second = RealScreens()[5].bytes;
    std::vector<std::uint8_t> img(first.begin(), first.end());
    img.insert(img.end(), second.begin(), second.end());
    PngLook look;
    look.scale = 1;
    look.frames = true;
    const auto png = PngOf(*modes::ModeFor("img", img.size()), img, look);
    ASSERT_TRUE(png.ok()) << png.error().Message();
    const std::string bytes(png->begin(), png->end());
    const std::size_t control = bytes.find("acTL");
    ASSERT_NE(control, std::string::npos);
    EXPECT_EQ(bytes.substr(control + 4, 8), std::string("\0\0\0\2\0\0\0\0", 8));  // two frames, played forever
    const std::size_t frame = bytes.find("fcTL");
    ASSERT_NE(frame, std::string::npos);
    EXPECT_EQ(bytes.substr(frame + 4 + 20, 4), std::string("\0\1\0\62", 4));  // 1/50 s
    TempFolder folder;
    WriteBytes(folder / "pair.img", img);
    const RunResult run = RunTool({"png", folder / "pair.img", "--frames", "--scale", "1", "-o", "-"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, std::string(png->begin(), png->end()));
    const Image shown = DecodePng(*png);
    ASSERT_EQ(shown.width, 256);
    int differing = 0;
    for (int y = 0; y < 192; ++y)
        for (int x = 0; x < 256; ++x)
            differing += !(shown.at(x, y) == ScreenColour(first, x, y));
    EXPECT_EQ(differing, 0);
}

}  // namespace
}  // namespace scrtool::testing
