#include "scrtool/picture.h"

#include <algorithm>
#include <string>

#include "scrtool/apng.h"
#include "scrtool/png_file.h"
#include "screen/screen_layout.h"

namespace scrtool {
namespace {

using screen::FlashPhase;

// The Spectrum swaps ink and paper of FLASH cells every 16 frames at 50 a second.
constexpr FrameDelay FlashPhaseDelay{16, 50};
// Frames of a picture alternate at the display's 50 Hz.
constexpr FrameDelay FrameDelayOf50Hz{1, 50};

// The mono view shows a classic screen's bitmap alone: its attributes all
// the view's own.
std::vector<std::uint8_t> BytesForView(std::span<const std::uint8_t> bytes, render::View view) {
    std::vector<std::uint8_t> shown(bytes.begin(), bytes.end());
    if (view == render::View::Mono)
        std::fill(shown.begin() + screen::AttributeStart, shown.begin() + screen::ScreenSize,
                  render::AttributeUsed(view, 0, false));
    return shown;
}

bool SamePixels(const Image& a, const Image& b) {
    const auto* first = std::get_if<IndexedPicture>(&a);
    const auto* second = std::get_if<IndexedPicture>(&b);
    if (first && second)
        return first->pixels == second->pixels && first->palette == second->palette;
    return ToRgb(a).pixels == ToRgb(b).pixels;
}

base::Result<std::vector<std::uint8_t>> FramesOf(const screen::DecodedPicture& decoded,
                                                 const picture::DrawOptions& options) {
    std::vector<Image> frames;
    for (int frame = 0; frame < decoded.frames; ++frame)
        frames.push_back(picture::DrawFrame(decoded, frame, options));
    return EncodeAnimatedPng(frames, FrameDelayOf50Hz);
}

}  // namespace

base::Result<std::vector<std::uint8_t>> PngOf(const modes::PictureMode& mode, std::span<const std::uint8_t> bytes,
                                              const PngLook& look) {
    const bool classic = &mode == &modes::ClassicMode();
    if (look.view == render::View::Mono && !classic)
        return base::Error{{}, {}, "the mono view draws classic screens only; this is " + std::string(mode.name)};
    const std::vector<std::uint8_t> shown = classic ? BytesForView(bytes, look.view) : std::vector<std::uint8_t>();
    const std::span<const std::uint8_t> input = classic ? std::span<const std::uint8_t>(shown) : bytes;
    auto decoded = mode.decode(input, FlashPhase::First);
    if (!decoded)
        return decoded.error();
    // Other modes' pictures are new: they take the fewest bits their colours need.
    const picture::DrawOptions options{look.scale, look.levels, look.grid,
                                       classic ? picture::PaletteEntries::AllSpectrum
                                               : picture::PaletteEntries::UsedOnly};
    if (look.frames && decoded->frames > 1)
        return FramesOf(*decoded, options);
    const Image still = picture::Draw(*decoded, options);
    if (look.flash) {
        // Still when FLASH changes nothing here: no FLASH cells, or the mono view.
        auto second = mode.decode(input, FlashPhase::Second);
        if (!second)
            return second.error();
        const Image other = picture::Draw(*second, options);
        if (!SamePixels(still, other))
            return EncodeAnimatedPng({still, other}, FlashPhaseDelay);
    }
    return EncodePng(still);
}

base::Result<std::vector<std::uint8_t>> ThumbnailOf(const modes::PictureMode& mode, std::span<const std::uint8_t> bytes,
                                                    int size) {
    auto decoded = mode.decode(bytes, FlashPhase::First);
    if (!decoded)
        return decoded.error();
    return EncodePng(Image(FitInto(ToRgb(picture::Draw(*decoded, {})), size)));
}

IndexedPicture DrawView(std::span<const std::uint8_t> screen, render::View view, int scale, Grid grid,
                        render::Palette palette) {
    auto decoded = modes::ClassicMode().decode(BytesForView(screen, view), FlashPhase::First);
    // A classic screen always decodes, to the 15 colours, which a palette holds.
    return std::get<IndexedPicture>(picture::Draw(*decoded, {scale, palette, grid}));
}

}  // namespace scrtool
