#include <gtest/gtest.h>

#include "picture_in/import.h"
#include "scrtool/palettes.h"
#include "scrtool/picture.h"
#include "scrtool/png_file.h"
#include "scrtool/scrtool_test_support.h"

namespace scrtool {
namespace {

using testing::RealScreens;

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
                const std::vector<std::uint8_t> png =
                    EncodePng(DrawView(real.bytes, render::View::Colour, scale, Grid::Off, palette.levels));
                for (bool named : {true, false}) {
                    picture_in::ImportOptions options;
                    if (named)
                        options.palette = palette.levels;
                    const picture_in::Imported imported = picture_in::ImportPicture(png, options, levels);
                    ASSERT_TRUE(imported.screen) << imported.cause;
                    const RgbPicture back = Colours(*imported.screen, palette.levels);
                    ASSERT_EQ(back.pixels, original.pixels) << real.name << " " << palette.name << " scale " << scale
                                                            << (named ? " named" : " auto");
                }
            }
        }
}

} // namespace
} // namespace scrtool
