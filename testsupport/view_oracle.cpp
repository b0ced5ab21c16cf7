#include "testsupport/view_oracle.h"

#include "testsupport/pixel_oracle.h"

namespace testsupport {

Rgb ViewPixel(const std::uint8_t* screen, const ViewLook& look, int x, int y) {
    const int cellSpan = 8 * look.scale;
    if (look.grid && (x % cellSpan == 0 || y % cellSpan == 0))
        return {0, 0, 255};
    const int sx = x / look.scale, sy = y / look.scale;
    const int column = sx / 8, row = sy / 8;
    int attribute = look.mono ? 7 : screen[AttributeOffset(column, row)];
    if (column == look.highlightColumn && row == look.highlightRow)
        attribute = 255 - attribute;
    const int number = PixelOf(screen, sx, sy) ? attribute & 7 : (attribute >> 3) & 7;
    const std::uint8_t level = attribute & 64 ? 255 : look.level;
    return {static_cast<std::uint8_t>(number & 2 ? level : 0), static_cast<std::uint8_t>(number & 4 ? level : 0),
            static_cast<std::uint8_t>(number & 1 ? level : 0)};
}

}  // namespace testsupport
