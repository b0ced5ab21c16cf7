#include <cstring>

#include "toolkit/canvas/canvas_qt.h"

namespace toolkit {
namespace {

// One 24-bit blue-green-red pixel as an opaque 0xAARRGGBB word.
inline QRgb PixelAt(const std::uint8_t* bytes) {
    return 0xFF000000u | bytes[0] | (static_cast<QRgb>(bytes[1]) << 8) | (static_cast<QRgb>(bytes[2]) << 16);
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
            for (int x = 0; x < area.width(); ++x, source += 3)
                line[x] = PixelAt(source);
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
