// What a canvas shows: its back buffer converted for painting, and repainted
// where it changed.

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include <QPaintEvent>
#include <QPainter>
#include <QRegion>
#include <qdrawutil.h>

#include "toolkit/canvas/canvas_qt.h"

namespace toolkit {
namespace {

constexpr int FocusFrameInset = 2;

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

}  // namespace

void ConvertBackBuffer(const BackBuffer& buffer, int scale, QRect area, QImage& image) {
    area = area.intersected(QRect(0, 0, buffer.width(), buffer.height()));
    if (area.isEmpty())
        return;
    // The image's memory once: every scanLine() call would check whether it is shared.
    std::uint8_t* const imageBits = image.bits();
    const qsizetype imageRow = image.bytesPerLine();
    auto lineAt = [&](int imageY) {
        return reinterpret_cast<QRgb*>(imageBits + imageY * imageRow) + area.left() * scale;
    };
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const std::uint8_t* source = buffer.row(y) + area.left() * 3;
        QRgb* line = lineAt(y * scale);
        if (scale == 1) {
            ConvertRow(source, line, area.width());
        } else {
            for (int x = 0; x < area.width(); ++x, source += 3)
                for (int copy = 0; copy < scale; ++copy)
                    line[x * scale + copy] = PixelAt(source);
            const auto bytes = static_cast<std::size_t>(area.width()) * scale * sizeof(QRgb);
            for (int copy = 1; copy < scale; ++copy)
                std::memcpy(lineAt(y * scale + copy), line, bytes);
        }
    }
}

// Converts and draws only the rectangles asked for: a pass that changed two
// cells repaints two cells, and the window system copies no more than that.
void CanvasWidget::paintEvent(QPaintEvent* event) {
    ++paintCount_;
    const int scale = std::max(1, static_cast<int>(std::lround(devicePixelRatioF())));
    const QSize deviceSize(buffer_->width() * scale, buffer_->height() * scale);
    if (shown_.size() != deviceSize || shown_.devicePixelRatio() != scale) {
        shown_ = QImage(deviceSize, QImage::Format_RGB32);
        shown_.setDevicePixelRatio(scale);
    }
    const QRect picture(0, 0, buffer_->width(), buffer_->height());
    QPainter painter(this);
    // Each picture pixel is a whole number of device pixels: never smoothed.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    for (const QRect& rect : event->region()) {
        const QRect area = rect.translated(-edge_, -edge_).intersected(picture);
        if (area.isEmpty())
            continue;
        ConvertBackBuffer(*buffer_, scale, area, shown_);
        buffer_->markShown(area.x(), area.y(), area.width(), area.height());
        if (notingPaints_)
            painted_ += area;
    }
    // One draw, clipped to the painted region by the painter: drawing each
    // rectangle on its own under a clip of several showed some of them a
    // pixel to the side on X11.
    painter.drawImage(QPoint(edge_, edge_), shown_);
    if (edge_)
        qDrawShadePanel(&painter, rect(), palette(), true, edge_);
    if ((flags_ & CanvasFocusFrame) && hasFocus()) {
        QPen pen(Qt::black, 1, Qt::DotLine);
        painter.setPen(pen);
        const QRect client(edge_, edge_, width() - 2 * edge_, height() - 2 * edge_);
        painter.drawRect(client.adjusted(FocusFrameInset, FocusFrameInset, -FocusFrameInset - 1, -FocusFrameInset - 1));
    }
}

void CanvasWidget::showChanges() {
    BackBuffer& buffer = *buffer_;
    const QRect picture(0, 0, buffer.width(), buffer.height());
    QRegion changed;
    if (buffer.wholeChanged()) {
        changed = picture;
    } else {
        // One rectangle per run of changed tiles along a tile row: the rows
        // are bands sorted left to right, as setRects wants them.
        std::vector<QRect> runs;
        const TileFlag* flags = buffer.changedTiles().get();
        const int columns = buffer.tileColumns();
        for (int tileRow = 0; tileRow < buffer.tileRows(); ++tileRow, flags += columns) {
            // Most rows hold no changed tile: one pass of ORs, which the
            // compiler vectorises, passes over them.
            TileFlag anyChanged = 0;
            for (int column = 0; column < columns; ++column)
                anyChanged |= flags[column];
            if (!anyChanged)
                continue;
            for (int column = 0; column < columns;) {
                if (!flags[column]) {
                    ++column;
                    continue;
                }
                const int first = column;
                while (column < columns && flags[column])
                    ++column;
                runs.push_back(QRect(first * TileSize, tileRow * TileSize, (column - first) * TileSize, TileSize)
                                   .intersected(picture));
            }
        }
        if (runs.empty())
            return;
        changed.setRects(runs.data(), static_cast<int>(runs.size()));
    }
    // Flags of tiles the repaint cannot reach (a hidden canvas) are cleared
    // too: whatever shows the canvas later paints all it shows.
    buffer.markShown(0, 0, buffer.width(), buffer.height());
    repaint(changed.translated(edge_, edge_));
}

}  // namespace toolkit
