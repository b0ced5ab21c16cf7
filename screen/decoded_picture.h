#pragma once
// A picture file's content once decoded, free of any palette: for every
// frame, the colour each pixel takes, as a code that a palette turns into
// light. Every picture mode decodes to this, and one drawing rule draws it.

#include <cstdint>
#include <vector>

namespace screen {

// A colour before a palette gives it levels:
//  0..15   a Spectrum colour: number 0..7 (bit 0 blue, bit 1 red, bit 2 green) + 8 when BRIGHT;
//  16..271 a ULAplus colour: 16 + the palette byte GGGRRRBB.
using ColourCode = std::uint16_t;

constexpr int SpectrumColourCodes = 16;
constexpr int UlaPlusColourCodes = 256;
constexpr ColourCode FirstUlaPlusCode = SpectrumColourCodes;
constexpr int ColourCodeCount = SpectrumColourCodes + UlaPlusColourCodes;  // 272

constexpr ColourCode SpectrumColour(int number, bool bright) {
    return static_cast<ColourCode>((number & 7) | (bright ? 8 : 0));
}
constexpr ColourCode UlaPlusColour(std::uint8_t grb) { return static_cast<ColourCode>(FirstUlaPlusCode + grb); }
constexpr bool IsUlaPlus(ColourCode code) { return code >= FirstUlaPlusCode; }
constexpr int NumberOf(ColourCode code) { return code & 7; }
constexpr bool IsBright(ColourCode code) { return (code & 8) != 0; }
constexpr std::uint8_t UlaPlusByteOf(ColourCode code) { return static_cast<std::uint8_t>(code - FirstUlaPlusCode); }

// Which phase of FLASH a picture is decoded in: the first shows INK as INK,
// the second swaps INK and PAPER in every cell whose FLASH bit is set (with
// the 15-colour palette only; a ULAplus palette uses the bit otherwise).
enum class FlashPhase { First, Second };

// How several frames are seen: the machine shows them in turn at 50 Hz and
// the eye sees their average in linear light.
struct DecodedPicture {
    int width = 0;  // pixels of one frame, each way
    int height = 0;
    int rowRepeat = 1;  // lines drawn this many times: 2 where pixels are half as wide (Timex hi-res)
    int frames = 1;
    std::vector<ColourCode> pixels;  // frame after frame, each row after row: frames x height x width

    ColourCode at(int frame, int x, int y) const {
        return pixels[(static_cast<std::size_t>(frame) * height + y) * width + x];
    }
    ColourCode& at(int frame, int x, int y) {
        return pixels[(static_cast<std::size_t>(frame) * height + y) * width + x];
    }
};

}  // namespace screen
