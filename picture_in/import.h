#pragma once
// A picture file's bytes made into a screen: decoded, brought to 256 x 192,
// its palette found, converted under the chosen dither.

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "picture_in/conversion.h"
#include "picture_in/decode.h"
#include "picture_in/fitting.h"
#include "picture_in/screen_writer.h"

namespace picture_in {

enum class Strict { Off, On };

struct ImportOptions {
    std::optional<render::Palette> palette;  // none: the first candidate whose colours the picture is made of
    Fit fit = Fit::Contain;
    Rgb background{0, 0, 0};
    Dither dither = Dither::Refined;  // the one default; scrtool's --dither takes it from here
    Bright bright = Bright::Auto;
    Strict strict = Strict::Off;
};

// The decoded picture, or its lossless reduction to 256 x 192 when that
// applies (`exact`), the palette it is converted for and, when the screen
// can show it as it is, its drawing.
struct Prepared {
    Picture picture;
    bool exact = false;
    render::Palette palette{};
    std::optional<Drawing> drawing;
};

// `candidates` are the palettes `auto` may find, the first being the one
// used when the picture is not made of any one's colours.
base::Result<Prepared> Prepare(std::span<const std::uint8_t> bytes, const ImportOptions& options,
                               std::span<const render::Palette> candidates);

// The picture fitted to 256 x 192 in linear light, what the conversions work on.
std::vector<LinearRgb> TargetOf(const Prepared& prepared, const ImportOptions& options);

// Same bytes and options, same screen, byte for byte; or why not, in the error's detail.
base::Result<ScreenBytes> ImportPicture(std::span<const std::uint8_t> bytes, const ImportOptions& options,
                                        std::span<const render::Palette> candidates);

}  // namespace picture_in
