// Tricolour pictures: three bitmaps, each one channel of light at full level,
// so a pixel shows the channels whose bits are set (eight colours). The eye
// is not asked to mix them: the picture is the channels together.

#include <array>

#include "modes/decode_support.h"
#include "modes/cells.h"

namespace modes {
namespace {

// A channel's place in a colour number: blue bit 0, red bit 1, green bit 2.
constexpr int Blue = 1, Red = 2, Green = 4;

Decoded DecodeChannels(Bytes bytes, const std::array<int, 3>& channels) {
    using screen::BitmapSize;
    if (auto sized = CheckSize(bytes, {3 * static_cast<std::size_t>(BitmapSize)}); !sized)
        return sized.error();
    screen::DecodedPicture picture = BlankPicture(screen::ScreenWidth, screen::ScreenHeight, 1);
    // The colour of each of the eight ways the three planes' bits can fall.
    std::array<screen::ColourCode, 8> colours;
    for (int bits = 0; bits < 8; ++bits)
        colours[bits] = screen::SpectrumColour(
            ((bits & 1) ? channels[0] : 0) | ((bits & 2) ? channels[1] : 0) | ((bits & 4) ? channels[2] : 0), true);
    for (int y = 0; y < screen::ScreenHeight; ++y)
        for (int k = 0; k < screen::LineBytes; ++k) {
            const std::size_t at = screen::LineAddressTable[y] + k;
            const unsigned first = bytes[at], second = bytes[BitmapSize + at], third = bytes[2 * BitmapSize + at];
            screen::ColourCode* out = &picture.at(0, 8 * k, y);
            for (int i = 0; i < 8; ++i) {
                const int shift = 7 - i;
                out[i] = colours[((first >> shift) & 1) | ((second >> shift) & 1) << 1 | ((third >> shift) & 1) << 2];
            }
        }
    return picture;
}

}  // namespace

Decoded DecodeRgb(Bytes bytes, screen::FlashPhase) { return DecodeChannels(bytes, {Red, Green, Blue}); }
Decoded DecodeTricolour3(Bytes bytes, screen::FlashPhase) { return DecodeChannels(bytes, {Blue, Red, Green}); }

}  // namespace modes
