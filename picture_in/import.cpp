#include "picture_in/import.h"

#include <algorithm>

namespace picture_in {
namespace {

// A JPEG is decoded by DCT scaling to no less than three times the screen's
// size; the rest of the way is the area filter in linear light.
constexpr int DetailKept = 3;

// Whether the colour is one of the palette's: its lit channels all at the
// level without BRIGHT, or all at 255.
bool ScreenColour(Rgb c, render::Palette palette) {
    const std::uint8_t lit = std::max({c.red, c.green, c.blue});
    for (const std::uint8_t channel : {c.red, c.green, c.blue})
        if (channel != 0 && channel != lit)
            return false;
    return lit == 0 || lit == palette.normalLevel || lit == palette.brightLevel;
}

bool MadeOf(const Picture& picture, render::Palette palette) {
    // Runs of one colour are the rule in such pictures: test each run once.
    Rgb last = picture.pixels.front();
    if (!ScreenColour(last, palette))
        return false;
    for (Rgb c : picture.pixels)
        if (!(c == last)) {
            if (!ScreenColour(c, palette))
                return false;
            last = c;
        }
    return true;
}

}  // namespace

base::Result<Prepared> Prepare(std::span<const std::uint8_t> bytes, const ImportOptions& options,
                               std::span<const render::Palette> candidates) {
    const DecodeOptions decodeOptions{options.background, DetailKept * screen::ScreenWidth,
                                      DetailKept * screen::ScreenHeight};
    Decoded decoded = Decode(bytes, decodeOptions);
    if (!decoded)
        return decoded.error();
    Prepared prepared;
    const bool screenSize = decoded->width == screen::ScreenWidth && decoded->height == screen::ScreenHeight;
    std::optional<Picture> reduced = screenSize ? std::nullopt : ReducedExactly(*decoded);
    prepared.exact = screenSize || reduced;
    prepared.picture = reduced ? std::move(*reduced) : std::move(*decoded);
    prepared.palette = options.palette      ? *options.palette
                       : candidates.empty() ? render::WindowPalette
                                            : candidates.front();
    if (!prepared.exact)
        return prepared;
    // A drawing in a palette needs every pixel in its colours, so the first
    // palette that draws the picture is the one `auto` finds; only when none
    // does are the colours checked on their own.
    const std::span<const render::Palette> tried = options.palette ? std::span(&*options.palette, 1) : candidates;
    for (render::Palette palette : tried)
        if ((prepared.drawing = ExactDrawing(prepared.picture, ColoursOf(palette), options.bright))) {
            prepared.palette = palette;
            return prepared;
        }
    if (!options.palette) {
        const auto found = std::find_if(candidates.begin(), candidates.end(),
                                        [&](render::Palette p) { return MadeOf(prepared.picture, p); });
        if (found != candidates.end())
            prepared.palette = *found;
    }
    return prepared;
}

std::vector<LinearRgb> TargetOf(const Prepared& prepared, const ImportOptions& options) {
    return Fitted(prepared.picture, options.fit, options.background);
}

base::Result<ScreenBytes> ImportPicture(std::span<const std::uint8_t> bytes, const ImportOptions& options,
                                        std::span<const render::Palette> candidates) {
    base::Result<Prepared> result = Prepare(bytes, options, candidates);
    if (!result)
        return result.error();
    const Prepared& prepared = *result;
    const ScreenColours colours = ColoursOf(prepared.palette);
    if (options.strict == Strict::On && !prepared.drawing) {
        if (!prepared.exact)
            return base::Refusal("not a screen's picture (" + std::to_string(prepared.picture.width) + " x " +
                                 std::to_string(prepared.picture.height) +
                                 "; a screen's is 256 x 192, or that in N x N blocks for N up to " +
                                 std::to_string(MaxExactScale) + ")");
        const std::vector<Clash> clashes = ClashingCells(prepared.picture, colours);
        if (clashes.empty())
            return base::Refusal("BRIGHT as --bright asks would change pixels");
        return base::Refusal(std::to_string(clashes.size()) + (clashes.size() == 1 ? " cell" : " cells") +
                             " no attribute can show: " + ClashList(clashes));
    }
    if (prepared.drawing)
        return ScreenOf(*prepared.drawing, options.bright);
    const std::vector<LinearRgb> pixels = TargetOf(prepared, options);
    const Target target{pixels, colours, options.bright};
    return ScreenOf(Convert(target, options.dither), options.bright);
}

}  // namespace picture_in
