// Pictures read back with libpng and compared with a rendering done here,
// pixel by pixel, from the screen bytes and the colour rule alone.

#include <gtest/gtest.h>

#include "scrtool/picture.h"
#include "scrtool/scrtool_test_support.h"
#include "testsupport/view_oracle.h"

namespace scrtool::testing {
namespace {

struct Look {
    bool mono = false;
    int scale = 2;
    bool grid = false;
    int level = 127;  // a lit channel without BRIGHT
};

render::Rgb Expected(const ScreenBytes& screen, const Look& look, int x, int y) {
    testsupport::ViewLook view;
    view.mono = look.mono;
    view.scale = look.scale;
    view.grid = look.grid;
    view.level = static_cast<std::uint8_t>(look.level);
    const testsupport::Rgb rgb = testsupport::ViewPixel(screen.data(), view, x, y);
    return {rgb.red, rgb.green, rgb.blue};
}

// The first pixel that differs, or "" when the picture is as expected.
std::string Compare(const Image& image, const ScreenBytes& screen, const Look& look) {
    if (image.width != 256 * look.scale || image.height != 192 * look.scale)
        return "size " + std::to_string(image.width) + " x " + std::to_string(image.height);
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            if (!(image.at(x, y) == Expected(screen, look, x, y)))
                return "pixel " + std::to_string(x) + "," + std::to_string(y);
        }
    }
    return {};
}

Image PngOf(const std::vector<std::string>& args) {
    const RunResult run = RunTool(args);
    EXPECT_EQ(run.status, 0) << run.err;
    return DecodePng(Bytes(run.out.begin(), run.out.end()));
}

TEST(Png, BothViewsOfEveryRealScreenAreTheWindowsPixels) {
    for (const RealScreen& real : RealScreens()) {
        EXPECT_EQ(Compare(PngOf({"png", real.path, "-o", "-"}), real.bytes, Look{}), "") << real.name << " colour";
        EXPECT_EQ(Compare(PngOf({"png", real.path, "-o", "-", "--view", "mono"}), real.bytes, Look{.mono = true}), "")
            << real.name << " mono";
    }
}

TEST(Png, ScalesGridAndPalettes) {
    const RealScreen& real = RealScreens()[1];  // every ink, BRIGHT and not
    const struct {
        std::vector<std::string> options;
        Look look;
    } cases[] = {
        {{"--grid"}, Look{.grid = true}},
        {{"--scale", "1", "--grid"}, Look{.scale = 1, .grid = true}},
        {{"--scale", "3", "--grid", "--view", "mono"}, Look{.mono = true, .scale = 3, .grid = true}},
        {{"--scale", "8"}, Look{.scale = 8}},
        // Scales 1 to 4 widen lines by code of their own, larger ones by one loop.
        {{"--scale", "4", "--view", "mono"}, Look{.mono = true, .scale = 4}},
        {{"--scale", "5"}, Look{.scale = 5}},
        {{"--palette", "fuse"}, Look{.level = 192}},
        {{"--palette", "rustzx"}, Look{.level = 205}},
        {{"--palette", "spectralab", "--scale", "1"}, Look{.scale = 1, .level = 215}},
        {{"--palette", "hardware", "--grid"}, Look{.grid = true, .level = 216}},
        {{"--palette", "scrlab"}, Look{}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args{"png", real.path, "-o", "-"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        EXPECT_EQ(Compare(PngOf(args), real.bytes, c.look), "") << ::testing::PrintToString(c.options);
    }
}

TEST(Png, FlashIsNotDrawn) {
    ScreenBytes plain{}, flashing{};
    for (int i = 0; i < 6144; i += 3)
        plain[i] = flashing[i] = static_cast<std::uint8_t>(i * 7);
    for (int i = 6144; i < 6912; ++i) {
        plain[i] = static_cast<std::uint8_t>(i & 0x7F);
        flashing[i] = static_cast<std::uint8_t>(plain[i] | 0x80);
    }
    const Image a = DecodePng([&] {
        auto r = RunTool({"png", "-", "-o", "-"}, ToBytes(plain));
        return Bytes(r.out.begin(), r.out.end());
    }());
    const Image b = DecodePng([&] {
        auto r = RunTool({"png", "-", "-o", "-"}, ToBytes(flashing));
        return Bytes(r.out.begin(), r.out.end());
    }());
    ASSERT_EQ(a.width, 512);
    EXPECT_EQ(a.pixels, b.pixels);
    EXPECT_EQ(Compare(b, flashing, Look{}), "");
}

TEST(Png, NamesThePictureAfterTheScreenOrPutsItInTheFolderAsked) {
    TempFolder folder;
    std::filesystem::create_directory(folder / "out");
    WriteBytes(folder / "title.scr", ToBytes(RealScreens()[0].bytes));
    WriteBytes(folder / "bare", ToBytes(RealScreens()[1].bytes));
    ASSERT_EQ(RunTool({"png", folder / "title.scr", folder / "bare"}).status, 0);
    EXPECT_EQ(Compare(DecodePng(ReadBytes(folder / "title.png")), RealScreens()[0].bytes, Look{}), "");
    EXPECT_EQ(Compare(DecodePng(ReadBytes(folder / "bare.png")), RealScreens()[1].bytes, Look{}), "");
    ASSERT_EQ(RunTool({"png", folder / "title.scr", "--out-dir", folder / "out", "--scale", "1"}).status, 0);
    EXPECT_EQ(Compare(DecodePng(ReadBytes(folder / "out/title.png")), RealScreens()[0].bytes, Look{.scale = 1}), "");
}

TEST(Png, ReplacesAPictureWholeKeepingItsPermissionsAndLinks) {
    TempFolder folder;
    std::filesystem::create_directory(folder / "real");
    WriteBytes(folder / "a.scr", ToBytes(RealScreens()[0].bytes));
    WriteBytes(folder / "shared.png", {1, 2, 3});
    std::filesystem::permissions(folder / "shared.png", std::filesystem::perms(0640));
    WriteBytes(folder / "real/target.png", {4, 5, 6});
    std::filesystem::create_symlink("real/target.png", folder / "link.png");
    ASSERT_EQ(RunTool({"png", folder / "a.scr", "-o", folder / "shared.png"}).status, 0);
    ASSERT_EQ(RunTool({"png", folder / "a.scr", "-o", folder / "link.png"}).status, 0);
    EXPECT_EQ(std::filesystem::status(folder / "shared.png").permissions(), std::filesystem::perms(0640));
    EXPECT_TRUE(std::filesystem::is_symlink(folder / "link.png"));
    for (const char* name : {"shared.png", "real/target.png"})
        EXPECT_EQ(Compare(DecodePng(ReadBytes(folder / name)), RealScreens()[0].bytes, Look{}), "") << name;
    std::vector<std::string> names;
    for (const auto& [name, bytes] : folder.Snapshot())
        names.push_back(name);
    EXPECT_EQ(names, (std::vector<std::string>{"a.scr", "link.png", "real/", "real/target.png", "shared.png"}))
        << "a temporary file was left behind";
}

TEST(Png, NeverWritesOverTheScreenItDraws) {
    TempFolder folder;
    const Bytes screen = ToBytes(RealScreens()[0].bytes);
    WriteBytes(folder / "odd.png", screen);
    const RunResult run = RunTool({"png", folder / "odd.png"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("would write over this file itself"), std::string::npos) << run.err;
    EXPECT_EQ(ReadBytes(folder / "odd.png"), screen);
}

TEST(Thumbnail, WritesAPictureOfTheAskedSizeForAFileManager) {
    TempFolder home;
    std::filesystem::create_directories(home / "cache/thumbnails/normal");
    const std::vector<std::string> env{"HOME=" + home.path().string(), "XDG_CACHE_HOME=" + home / "cache"};
    const RealScreen& real = RealScreens()[2];
    const Image full = DecodePng(ReadBytes([&] {
        RunTool({"png", real.path, "--scale", "1", "-o", home / "full.png"});
        return home / "full.png";
    }()));
    ASSERT_EQ(full.width, 256);
    const struct {
        int size, width, height;
    } sizes[] = {{128, 128, 96}, {256, 256, 192}, {256 * 3 / 2, 384, 288}, {100, 100, 75}, {1, 1, 1}};
    for (const auto& size : sizes) {
        const std::string output = home / "cache/thumbnails/normal/0123456789abcdef.png";
        const RunResult run = RunTool({"thumbnail", real.path, output, std::to_string(size.size)}, {}, env);
        ASSERT_EQ(run.status, 0) << run.err;
        const Image thumb = DecodePng(ReadBytes(output));
        EXPECT_EQ(thumb.width, size.width) << size.size;
        EXPECT_EQ(thumb.height, size.height) << size.size;
        if (size.size == 256) {
            EXPECT_EQ(thumb.pixels, full.pixels);
        }
        if (size.size == 384) {  // enlarged by 1.5: every pixel is one of the screen's
            EXPECT_EQ(thumb.at(383, 287), full.at(255, 191));
        }
        std::vector<std::string> files;
        for (const auto& [name, bytes] : home.Snapshot())
            if (!name.ends_with("/"))
                files.push_back(name);
        EXPECT_EQ(files, (std::vector<std::string>{"cache/thumbnails/normal/0123456789abcdef.png", "full.png"}))
            << "a temporary file was left behind";
    }
}

// Light adds: black and white dots seen from afar are the grey of half the
// light (188), not the sRGB middle (128), which an average of the sRGB values gives.
TEST(Thumbnail, HalfSizeIsTheMeanOfEachTwoByTwoBlockInLinearLight) {
    RgbPicture picture{4,
                       2,
                       {{0, 0, 0},
                        {255, 255, 255},
                        {10, 20, 30},
                        {10, 20, 30},
                        {255, 255, 255},
                        {255, 0, 0},
                        {30, 20, 10},
                        {30, 20, 10}}};
    const RgbPicture half = FitInto(picture, 2);
    ASSERT_EQ(half.width, 2);
    ASSERT_EQ(half.height, 1);
    EXPECT_EQ(half.pixels[0], (render::Rgb{225, 188, 188}));
    EXPECT_EQ(half.pixels[1], (render::Rgb{22, 20, 22}));
}

}  // namespace
}  // namespace scrtool::testing
