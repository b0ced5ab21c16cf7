#pragma once
// The picture a canvas shows: 24-bit pixels, three bytes blue, green, red,
// rows padded to a multiple of 4 bytes and stored bottom-up (the top row of
// the image is the last row in memory). Drawing writes these bytes directly.

#include <cstdint>
#include <memory>

namespace toolkit {

// Bytes of one stored row of a 24-bit image `width` pixels wide.
constexpr int RowLength(int width) { return (width * 3 + 3) / 4 * 4; }

// Changes are noted, and shown again, in squares of this side: the size of a
// view's cell, so a changed cell is one square.
constexpr int TileSize = 16;
constexpr int TileShift = 4;
static_assert(1 << TileShift == TileSize);

// A tile's flag in the changed-tile map. 32-bit rather than a byte: stores
// through a char type may alias anything, and would make the compiler reload
// a drawing pass's fields after every flag it sets.
using TileFlag = std::uint32_t;

class BackBuffer {
public:
    // A white image; sizes below 1 become 1. Throws std::bad_alloc when the
    // memory cannot be had (or the size cannot be addressed).
    BackBuffer(int width, int height);

    int width() const { return width_; }
    int height() const { return height_; }
    int rowLength() const { return rowLength_; }
    std::size_t byteCount() const { return static_cast<std::size_t>(rowLength_) * height_; }

    // The first byte in memory, which belongs to the bottom row. Writable
    // access counts as a change of the whole picture (see touch()).
    std::uint8_t* bytes() {
        touch();
        return storage_.get();
    }
    const std::uint8_t* bytes() const { return storage_.get(); }
    // Shared so that a drawing pass still holding it never writes into freed
    // memory. A pass writes through it and notes what it wrote in the tile map.
    const std::shared_ptr<std::uint8_t[]>& storage() const { return storage_; }

    // Row y of the image, counted from the top; writable access as bytes().
    std::uint8_t* row(int y) { return bytes() + static_cast<std::size_t>(height_ - 1 - y) * rowLength_; }
    const std::uint8_t* row(int y) const { return bytes() + static_cast<std::size_t>(height_ - 1 - y) * rowLength_; }

    // Copies `other` in at (0, 0) in its own size, cut by this image's size.
    void copyFrom(const BackBuffer& other);

    // The changed-tile map: one flag per tile, tile rows top first, set
    // (nonzero) by whatever writes into the tile and cleared once the tile has
    // been shown again. Shared like the pixels.
    int tileColumns() const { return (width_ + TileSize - 1) / TileSize; }
    int tileRows() const { return (height_ + TileSize - 1) / TileSize; }
    const std::shared_ptr<TileFlag[]>& changedTiles() const { return changedTiles_; }
    // True when the whole picture may have changed, whatever the map says.
    bool wholeChanged() const { return wholeChanged_; }
    // Clears the flags of the tiles lying wholly inside the area, and the
    // whole-picture flag when the area is the whole picture: they are shown.
    void markShown(int left, int top, int width, int height);

    // A process-wide unique number naming the picture's content: it changes
    // whenever the picture may be written other than by the drawing pass that
    // last took a stamp (see restamp()), so a caller that redraws only what
    // changed can tell that its last drawing is still all there.
    std::uint64_t stamp() const { return stamp_; }
    // A new stamp, answered; a drawing pass takes one as it starts writing.
    std::uint64_t restamp();
    // Notes a change made without a drawing pass: a new stamp, and the whole
    // picture is shown again at the next repaint.
    void touch();

    // A nonzero number that names this image and no other, for the 32-bit
    // attribute interface.
    std::int32_t handle() const { return handle_; }

private:
    int width_;
    int height_;
    int rowLength_;
    std::shared_ptr<std::uint8_t[]> storage_;
    std::shared_ptr<TileFlag[]> changedTiles_;
    bool wholeChanged_ = true;  // a new picture has never been shown
    std::uint64_t stamp_ = 0;
    std::int32_t handle_;
};

// The back buffer whose handle is given, among the canvases that exist; null if none.
const BackBuffer* BackBufferOfHandle(std::int32_t handle);

}  // namespace toolkit
