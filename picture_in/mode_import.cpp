#include "picture_in/mode_import.h"

#include <algorithm>

#include "picture_in/decode.h"
#include "picture_in/fitting.h"
#include "picture_in/mode_exact.h"
#include "screen/screen_layout.h"

namespace picture_in {
namespace {

using screen::ScreenHeight;
using screen::ScreenWidth;

// JPEGs are decoded by DCT scaling to no less than three times the field.
constexpr int DetailKept = 3;

// The size a mode's picture is drawn at scale 1: Timex hi-res's lines twice.
int DrawnHeight(ModeShape shape) { return shape.hires ? 2 * ScreenHeight : FieldHeight(shape); }

// A drawing at scale N brought back to one pixel a field pixel (hi-res: one
// a half-width pixel, its two lines alike); nothing when it is not one.
std::optional<Picture> Reduced(const Picture& picture, ModeShape shape) {
    std::optional<Picture> reduced = ReducedExactlyTo(picture, FieldWidth(shape), DrawnHeight(shape));
    if (!reduced || !shape.hires)
        return reduced;
    Picture lines{HiResWidth, ScreenHeight, {}};
    for (int y = 0; y < ScreenHeight; ++y)
        for (int x = 0; x < HiResWidth; ++x) {
            if (!(reduced->at(x, 2 * y) == reduced->at(x, 2 * y + 1)))
                return std::nullopt;
            lines.pixels.push_back(reduced->at(x, 2 * y));
        }
    return lines;
}

Picture ScreenPart(const Picture& field, ModeShape shape) {
    if (!shape.border)
        return field;
    Picture area{ScreenWidth, ScreenHeight, {}};
    for (int y = 0; y < ScreenHeight; ++y)
        for (int x = 0; x < ScreenWidth; ++x)
            area.pixels.push_back(field.at(x + BorderLeft, y + BorderTop));
    return area;
}

// The exact drawing of a reduced picture in `palette`, or the cells that
// keep it from being one.
ExactResult Exact(const Picture& field, ModeShape shape, render::Palette palette) {
    if (shape.hires) {
        ExactResult result;
        result.drawing = ExactHiRes(field);
        if (!result.drawing)
            result.clashes.push_back(Clash{0, 0, {}});
        return result;
    }
    const Picture area = ScreenPart(field, shape);
    const ScreenColours colours = ColoursOf(palette);
    ExactResult result = shape.ulaplus ? ExactUlaPlus(area, shape) : ExactInMode(area, colours.linear, shape);
    if (result.drawing && shape.border) {
        const auto border = ExactBorder(field, colours);
        if (border)
            result.drawing->border = *border;
        else
            result.drawing.reset();
    }
    return result;
}

std::string Refusal(const Picture& picture, ModeShape shape, const std::optional<ExactResult>& exact) {
    if (!exact)
        return "not a picture of this mode (" + std::to_string(picture.width) + " x " + std::to_string(picture.height) +
               "; its are " + std::to_string(FieldWidth(shape)) + " x " + std::to_string(DrawnHeight(shape)) +
               ", or that in N x N blocks for N up to " + std::to_string(MaxExactScale) + ")";
    if (exact->tooManyColours)
        return "more pairs of colours than four groups of 8 INKs and 8 PAPERs hold";
    if (shape.hires)
        return "not two colours of which one is the other's complement";
    if (exact->clashes.empty())
        return "the border's 8-pixel segments are not each one of the 8 colours without BRIGHT";
    const std::size_t n = exact->clashes.size();
    return std::to_string(n) + (n == 1 ? " cell" : " cells") + " the mode cannot show: " + ClashList(exact->clashes);
}

// The picture fitted to the mode's field in linear light. Hi-res pixels are
// half as wide as they are high: the picture is fitted to twice the lines
// and each pair of lines averaged.
std::vector<LinearRgb> FieldOf(const Picture& picture, ModeShape shape, const ImportOptions& options) {
    if (!shape.hires)
        return FittedTo(picture, options.fit, options.background, FieldWidth(shape), FieldHeight(shape));
    const std::vector<LinearRgb> tall =
        FittedTo(picture, options.fit, options.background, HiResWidth, 2 * ScreenHeight);
    std::vector<LinearRgb> field(static_cast<std::size_t>(HiResWidth) * ScreenHeight);
    for (int y = 0; y < ScreenHeight; ++y)
        for (int x = 0; x < HiResWidth; ++x) {
            const LinearRgb a = tall[static_cast<std::size_t>(2 * y) * HiResWidth + x];
            const LinearRgb b = tall[static_cast<std::size_t>(2 * y + 1) * HiResWidth + x];
            field[static_cast<std::size_t>(y) * HiResWidth + x] = {(a.red + b.red) / 2, (a.green + b.green) / 2,
                                                                   (a.blue + b.blue) / 2};
        }
    return field;
}

}  // namespace

ModeImported ImportInMode(std::span<const std::uint8_t> bytes, const ModeImportOptions& options,
                          std::span<const render::Palette> candidates) {
    ModeImported imported;
    const ModeShape shape = ShapeOf(options.file);
    const DecodeOptions decodeOptions{options.import.background, DetailKept * FieldWidth(shape),
                                      DetailKept * DrawnHeight(shape)};
    Decoded decoded = Decode(bytes, decodeOptions);
    if (!decoded) {
        imported.cause = decoded.error().What();
        return imported;
    }
    const render::Palette fallback = candidates.empty() ? render::WindowPalette : candidates.front();
    const std::span<const render::Palette> tried = options.import.palette ? std::span(&*options.import.palette, 1)
                                                   : candidates.empty()   ? std::span(&fallback, 1)
                                                                          : candidates;
    // A refusal names the cells of the palette that came closest: the
    // picture's own palette finds only the cells that do not fit, any other
    // every cell of a colour it lacks.
    std::optional<ExactResult> exact;
    if (const std::optional<Picture> reduced = Reduced(*decoded, shape))
        for (render::Palette palette : tried) {
            ExactResult attempt = Exact(*reduced, shape, palette);
            if (attempt.drawing) {
                imported.bytes = BytesOf(*attempt.drawing, options.file);
                imported.exact = true;
                imported.flicker = MeanFlicker(*attempt.drawing, ColoursOf(palette));
                return imported;
            }
            if (!exact || attempt.clashes.size() < exact->clashes.size())
                exact = std::move(attempt);
            if (shape.ulaplus || shape.hires)
                break;  // the palette does not enter into it
        }
    if (options.import.strict == Strict::On) {
        imported.cause = Refusal(*decoded, shape, exact);
        return imported;
    }
    const ScreenColours colours = ColoursOf(tried.front());
    const ModeOptions modeOptions{options.import.dither, options.import.bright, options.flicker};
    const ModeDrawing drawing = ConvertToMode(FieldOf(*decoded, shape, options.import), colours, shape, modeOptions);
    imported.bytes = BytesOf(drawing, options.file);
    imported.flicker = MeanFlicker(drawing, colours);
    return imported;
}

}  // namespace picture_in
