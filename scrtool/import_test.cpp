#include <filesystem>
#include <sstream>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "picture_in/import.h"
#include "picture_in/test_pictures.h"
#include "scrtool/picture.h"
#include "scrtool/png_file.h"
#include "scrtool/invocation.h"
#include "scrtool/screen_io.h"
#include "scrtool/scrtool_test_support.h"

namespace scrtool {
namespace {

using ::testing::HasSubstr;
using testing::RealScreens;
using testing::RunTool;
using testing::TempFolder;

std::vector<std::uint8_t> ScreenPng(const Screen& screen, int scale, render::Palette palette = render::WindowPalette) {
    return EncodePng(DrawView(screen, render::View::Colour, scale, Grid::Off, palette)).value();
}

std::vector<render::Palette> Levels() {
    std::vector<render::Palette> levels;
    for (const NamedPalette& palette : Palettes())
        levels.push_back(palette.levels);
    return levels;
}

RgbPicture Colours(const Screen& screen, render::Palette palette) {
    return ToRgb(DrawView(screen, render::View::Colour, 1, Grid::Off, palette));
}

// `png` then import, for every real screen, palette and scale, with the
// palette named and found: the screen draws as the original did.
TEST(Import, EveryRealScreenComesBackFromItsPngPixelForPixel) {
    const std::vector<render::Palette> levels = Levels();
    for (const auto& real : RealScreens())
        for (const NamedPalette& palette : Palettes()) {
            const RgbPicture original = Colours(real.bytes, palette.levels);
            for (int scale : {1, 2, 3, 8}) {
                const std::vector<std::uint8_t> png = ScreenPng(real.bytes, scale, palette.levels);
                for (bool named : {true, false}) {
                    picture_in::ImportOptions options;
                    if (named)
                        options.palette = palette.levels;
                    const picture_in::Imported imported = picture_in::ImportPicture(png, options, levels);
                    ASSERT_TRUE(imported.screen) << imported.cause;
                    const RgbPicture back = Colours(*imported.screen, palette.levels);
                    ASSERT_EQ(back.pixels, original.pixels)
                        << real.name << " " << palette.name << " scale " << scale << (named ? " named" : " auto");
                }
            }
        }
}

// The program itself: png, then import with the palette found and named.
TEST(ImportCommand, PngThenImportDrawsTheSameScreen) {
    const TempFolder folder;
    const auto& real = RealScreens()[1];
    ASSERT_EQ(RunTool({"png", real.path, "--scale", "3", "--palette", "fuse", "-o", folder / "a.png"}).status, 0);
    for (const std::vector<std::string>& palette :
         {std::vector<std::string>{}, {"--palette", "auto"}, {"--palette", "fuse"}}) {
        std::vector<std::string> args{"import", folder / "a.png"};
        args.insert(args.end(), palette.begin(), palette.end());
        ASSERT_EQ(RunTool(args).status, 0);
        const Bytes back = testing::ReadBytes(folder / "a.scr");
        ASSERT_EQ(back.size(), screen::ScreenSize);
        Screen screen;
        std::copy(back.begin(), back.end(), screen.begin());
        EXPECT_EQ(Colours(screen, {192, 255}).pixels, Colours(real.bytes, {192, 255}).pixels) << args.size();
    }
}

// The program's --dither X is the library's X for every X, and no --dither
// is refined, as the help says; the five are told apart first, so that a
// command that ignored --dither could not pass.
TEST(ImportCommand, EveryDitherIsTheLibrarysOwn) {
    const std::pair<const char*, picture_in::Dither> modes[] = {{"refined", picture_in::Dither::Refined},
                                                                {"floyd-steinberg", picture_in::Dither::FloydSteinberg},
                                                                {"jarvis", picture_in::Dither::Jarvis},
                                                                {"bayer", picture_in::Dither::Bayer},
                                                                {"none", picture_in::Dither::None}};
    const TempFolder folder;
    const Bytes jpeg = picture_in::testing::JpegOf(picture_in::testing::Gradient(320, 240), 90);
    testing::WriteBytes(folder / "in.jpg", jpeg);
    std::vector<picture_in::ScreenBytes> library;
    for (const auto& [name, dither] : modes) {
        picture_in::ImportOptions options;
        options.dither = dither;
        const picture_in::Imported imported = picture_in::ImportPicture(jpeg, options, Levels());
        ASSERT_TRUE(imported.screen) << imported.cause;
        for (const picture_in::ScreenBytes& other : library)
            ASSERT_NE(*imported.screen, other) << name;
        library.push_back(*imported.screen);
    }
    for (std::size_t i = 0; i <= std::size(modes); ++i) {
        std::vector<std::string> args{"import", folder / "in.jpg", "-o", folder / "out.scr"};
        if (i < std::size(modes))
            args.insert(args.end(), {"--dither", modes[i].first});
        const testing::RunResult run = RunTool(args);
        ASSERT_EQ(run.status, 0) << run.err;
        const Bytes written = testing::ReadBytes(folder / "out.scr");
        EXPECT_EQ(written, Bytes(library[i % std::size(modes)].begin(), library[i % std::size(modes)].end()))
            << (i < std::size(modes) ? modes[i].first : "no --dither");
    }
}

TEST(ImportCommand, BadPicturesAreNamedOneLineEachAndTheRestDone) {
    const TempFolder folder;
    const Bytes good = ScreenPng(RealScreens()[0].bytes, 2);
    Bytes jpeg = picture_in::testing::JpegOf(picture_in::testing::Gradient(64, 64), 90);
    for (std::size_t i = jpeg.size() / 2; i < jpeg.size() / 2 + 64; ++i)
        jpeg[i] = static_cast<std::uint8_t>(i * 37);
    const char gif[] = "GIF89a\x02\x00\x02\x00\x00\x00\x00;";
    const std::string text = "not a picture\n";
    testing::WriteBytes(folder / "truncated.png",
                        Bytes(good.begin(), good.begin() + static_cast<long>(good.size() / 2)));
    testing::WriteBytes(folder / "garbled.jpg", jpeg);
    testing::WriteBytes(folder / "empty.gif", Bytes(gif, gif + sizeof gif - 1));
    testing::WriteBytes(folder / "huge.png", picture_in::testing::PngHeaderOnly(100000, 100000));
    testing::WriteBytes(folder / "notes.png", Bytes(text.begin(), text.end()));
    testing::WriteBytes(folder / "good.png", good);
    std::filesystem::create_directory(folder / "out");
    const std::vector<std::string> names = {"truncated.png", "garbled.jpg", "empty.gif",
                                            "huge.png",      "notes.png",   "good.png"};
    std::vector<std::string> args{"import", "--out-dir", folder / "out"};
    for (const std::string& name : names)
        args.push_back(folder / name);
    const testing::RunResult run = RunTool(args);
    EXPECT_EQ(run.status, 1);
    const std::string causes[] = {"bad PNG", "bad JPEG", "GIF has no frames", "picture too large (100000 x 100000",
                                  "not a picture in a known format"};
    std::istringstream lines(run.err);
    std::string line;
    for (std::size_t i = 0; i < std::size(causes); ++i) {
        ASSERT_TRUE(std::getline(lines, line)) << run.err;
        EXPECT_THAT(line, HasSubstr("scrtool: " + (folder / names[i]) + ": " + causes[i]));
    }
    EXPECT_FALSE(std::getline(lines, line)) << line;
    const Bytes written = testing::ReadBytes(folder / "out/good.scr");
    EXPECT_EQ(written.size(), screen::ScreenSize);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder / "out"), {}), 1);
}

TEST(ImportCommand, StrictNamesTheOneClashingCellAndWritesNothing) {
    const auto& real = RealScreens()[1];
    picture_in::Picture picture = picture_in::testing::ScreenPicture(real.bytes, render::WindowPalette);
    const TempFolder folder;
    testing::WriteBytes(folder / "exact.png", picture_in::testing::PngOf(picture, picture_in::testing::PngKind::Rgb8));
    // Cell (5,3) gets a pixel in a colour no palette has.
    picture.pixels[static_cast<std::size_t>(3 * 8 + 2) * 256 + 5 * 8 + 1] = render::Rgb{1, 2, 3};
    testing::WriteBytes(folder / "clash.png", picture_in::testing::PngOf(picture, picture_in::testing::PngKind::Rgb8));
    const testing::RunResult exact = RunTool({"import", "--strict", folder / "exact.png"});
    EXPECT_EQ(exact.status, 0) << exact.err;
    const auto before = folder.Snapshot();
    const testing::RunResult clash = RunTool({"import", folder / "clash.png", "--strict", "-o", folder / "c.scr"});
    EXPECT_EQ(clash.status, 1);
    EXPECT_THAT(clash.err, HasSubstr("clash.png: 1 cell no attribute can show: (5,3) #"));
    EXPECT_THAT(clash.err, HasSubstr("#010203"));
    EXPECT_EQ(std::count(clash.err.begin(), clash.err.end(), '('), 1);
    EXPECT_EQ(folder.Snapshot(), before);
    // Without --strict the same picture is converted, byte for byte the same each time.
    ASSERT_EQ(RunTool({"import", folder / "clash.png", "-o", folder / "1.scr"}).status, 0);
    ASSERT_EQ(RunTool({"import", folder / "clash.png", "-o", folder / "2.scr"}).status, 0);
    EXPECT_EQ(testing::ReadBytes(folder / "1.scr"), testing::ReadBytes(folder / "2.scr"));
}

}  // namespace
}  // namespace scrtool
