#include <cstring>

#include "toolkit/canvas/canvas_qt.h"

namespace toolkit {
namespace {

// One 24-bit blue-green-red pixel as an opaque 0xAARRGGBB word.
inline QRgb PixelAt(const std::uint8_t* bytes) {
    return 0xFF000000u | bytes[0] | (static_cast<QRgb>(bytes[1]) << 8) | (static_cast<QRgb>(bytes[2]) << 16);
}

// A row of pixels, four at a time from three 32-bit words: the bytes blue,
// green, red of each pixel read little-endian are already 0x00RRGGBB.
void ConvertRow(const std::uint8_t* source, QRgb* line, int count) {
    constexpr QRgb Opaque = 0xFF000000u;
    int x = 0;
    for (; x + 4 <= count; x += 4, source += 12) {
        std::uint32_t word[3];
        std::memcpy(word, source, sizeof word);
        line[x] = Opaque | (word[0] & 0xFFFFFFu);
        line[x + 1] = Opaque | (word[0] >> 24) | ((word[1] & 0xFFFFu) << 8);
        line[x + 2] = Opaque | (word[1] >> 16) | ((word[2] & 0xFFu) << 16);
        line[x + 3] = Opaque | (word[2] >> 8);
    }
    for (; x < count; ++x, source += 3)
        line[x] = PixelAt(source);
}

} // namespace

void ConvertBackBuffer(const BackBuffer& buffer, int scale, QRect area, QImage& image) {
    area = area.intersected(QRect(0, 0, buffer.width(), buffer.height()));
    if (area.isEmpty())
        return;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const std::uint8_t* source = buffer.row(y) + area.left() * 3;
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y * scale)) + area.left() * scale;
        if (scale == 1) {
            ConvertRow(source, line, area.width());
        } else {
            for (int x = 0; x < area.width(); ++x, source += 3)
                for (int copy = 0; copy < scale; ++copy)
                    line[x * scale + copy] = PixelAt(source);
            const auto bytes = static_cast<std::size_t>(area.width()) * scale * sizeof(QRgb);
            for (int copy = 1; copy < scale; ++copy)
                std::memcpy(reinterpret_cast<QRgb*>(image.scanLine(y * scale + copy)) + area.left() * scale,
                            line, bytes);
        }
    }
}

} // namespace toolkit
