#include "testsupport/pixel_oracle.h"

namespace testsupport {

int PixelOffset(int x, int y) { return ((y & 0xC0) << 5) | ((y & 0x07) << 8) | ((y & 0x38) << 2) | (x >> 3); }

std::uint8_t PixelMask(int x) { return static_cast<std::uint8_t>(0x80 >> (x & 7)); }

bool PixelOf(const std::uint8_t* screen, int x, int y) { return (screen[PixelOffset(x, y)] & PixelMask(x)) != 0; }

void SetPixel(std::uint8_t* screen, int x, int y, bool on) {
    std::uint8_t& byte = screen[PixelOffset(x, y)];
    byte = static_cast<std::uint8_t>(on ? byte | PixelMask(x) : byte & ~PixelMask(x));
}

int AttributeOffset(int column, int row) { return 6144 + row * 32 + column; }

}  // namespace testsupport
