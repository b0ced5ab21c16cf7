#pragma once
// What the format tests share: files built by hand from the layouts with
// testsupport's own address arithmetic (never the decoders' helpers), the
// colour a standard screen gives a pixel by that arithmetic, and decoding
// through the table's row for an extension and size.

#include <cstdint>
#include <string>
#include <vector>

#include "modes/picture_modes.h"
#include "screen/decoded_picture.h"

namespace formats_test {

using Bytes = std::vector<std::uint8_t>;
constexpr int BitmapBytes = 6144, ScreenBytes = 6912;

Bytes RandomBytes(std::size_t size, std::uint32_t seed);

// Colour codes as the tests spell them.
constexpr screen::ColourCode Plain(int number) { return screen::SpectrumColour(number, false); }
constexpr screen::ColourCode Bright(int number) { return screen::SpectrumColour(number, true); }
constexpr std::uint8_t Attribute(int ink, int paper, bool bright = false, bool flash = false) {
    return static_cast<std::uint8_t>((flash ? 0x80 : 0) | (bright ? 0x40 : 0) | paper << 3 | ink);
}

// The colour of pixel (x, y) of the standard screen at `screen`, worked out
// from testsupport's pixel and attribute offsets.
screen::ColourCode ScreenColour(const std::uint8_t* screen, int x, int y,
                                screen::FlashPhase phase = screen::FlashPhase::First);

// Linear offset of pixel line y, and the interleaved one from testsupport.
inline int LinearLine(int y) { return 32 * y; }
int InterleavedLine(int y);

// The row that takes a file of that extension and size, and its picture; the
// test fails when there is none or the decoder refuses.
screen::DecodedPicture DecodeAs(const std::string& extension, const Bytes& bytes,
                                screen::FlashPhase phase = screen::FlashPhase::First);
// The error a row's decoder gives, or "" when it decodes.
std::string RefusalAs(const std::string& extension, const Bytes& bytes);

void PutText(Bytes& bytes, std::size_t at, const std::string& text);

}  // namespace formats_test
