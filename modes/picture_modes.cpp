#include "modes/picture_modes.h"

#include <algorithm>
#include <array>

#include "modes/classic.h"
#include "modes/format_rows.h"
#include "screen/screen_layout.h"

namespace modes {
namespace {

using screen::ScreenHeight;
using screen::ScreenWidth;

constexpr std::uint32_t Bitmap = screen::BitmapSize;
constexpr std::uint32_t Attributes = screen::AttributeCount;

constexpr std::array<std::string_view, 1> Scr{"scr"};

// A classic screen file may carry one byte more, which shows nothing.
constexpr std::array<std::uint64_t, 2> ClassicSizes{screen::ScreenSize, screen::ScreenSize + 1};
constexpr std::array<std::uint64_t, 1> BitmapSizes{screen::BitmapSize};

constexpr Part InterleavedBitmap{0, Bitmap, Order::Interleaved};

const std::array Rows{
    PictureMode{.name = "classic",
                .extensions = Scr,
                .sizes = ClassicSizes,
                .largestSize = ClassicSizes.back(),
                .width = ScreenWidth,
                .height = ScreenHeight,
                .cellHeight = screen::CellSize,
                .bitmap = InterleavedBitmap,
                .attributes = {screen::AttributeStart, Attributes, Order::Linear},
                .decode = DecodeClassic,
                .encode = EncodeClassic},
    PictureMode{.name = "bitmap",
                .extensions = Scr,
                .sizes = BitmapSizes,
                .largestSize = BitmapSizes.back(),
                .width = ScreenWidth,
                .height = ScreenHeight,
                .bitmap = InterleavedBitmap,
                .decode = DecodeBitmapOnly,
                .encode = EncodeBitmapOnly},
};

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameExtension(std::string_view a, std::string_view b) {
    if (!a.empty() && a.front() == '.')
        a.remove_prefix(1);
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Lower(x) == Lower(y); });
}

bool TakesExtension(const PictureMode& mode, std::string_view extension) {
    return std::any_of(mode.extensions.begin(), mode.extensions.end(),
                       [&](std::string_view own) { return SameExtension(extension, own); });
}

}  // namespace

bool PictureMode::Accepts(std::uint64_t size) const {
    if (size > largestSize)
        return false;
    return std::find(sizes.begin(), sizes.end(), size) != sizes.end() || (sizeTest && sizeTest(size));
}

std::span<const PictureMode> PictureModes() {
    static const std::vector<PictureMode> all = [] {
        std::vector<PictureMode> rows(Rows.begin(), Rows.end());
        rows.insert(rows.end(), FormatRows().begin(), FormatRows().end());
        return rows;
    }();
    return all;
}

const PictureMode* ModeFor(std::string_view extension, std::uint64_t size) {
    for (const PictureMode& mode : PictureModes())
        if (TakesExtension(mode, extension) && mode.Accepts(size))
            return &mode;
    return nullptr;
}

const PictureMode* ModeNamed(std::string_view name) {
    for (const PictureMode& mode : PictureModes())
        if (mode.name == name)
            return &mode;
    return nullptr;
}

// The row in the table itself, so that a row ModeFor finds can be told
// from it by its address.
const PictureMode& ClassicMode() { return PictureModes().front(); }

std::uint64_t LargestSizeFor(std::string_view extension) {
    std::uint64_t largest = 0;
    for (const PictureMode& mode : PictureModes())
        if (TakesExtension(mode, extension))
            largest = std::max(largest, mode.largestSize);
    return largest;
}

std::string_view PaletteKindName(PaletteKind kind) {
    switch (kind) {
    case PaletteKind::Spectrum: return "15 colours";
    case PaletteKind::UlaPlus: return "ULAplus 64 of 256";
    case PaletteKind::TimexHiRes: return "Timex hi-res 2 colours";
    }
    return {};
}

}  // namespace modes
