#pragma once
// The picture a canvas shows: 24-bit pixels, three bytes blue, green, red,
// rows padded to a multiple of 4 bytes and stored bottom-up (the top row of
// the image is the last row in memory). Drawing writes these bytes directly.

#include <cstdint>
#include <memory>

namespace toolkit {

// Bytes of one stored row of a 24-bit image `width` pixels wide.
constexpr int RowLength(int width) { return (width * 3 + 3) / 4 * 4; }

class BackBuffer {
public:
    // A white image; sizes below 1 become 1. Throws std::bad_alloc when the
    // memory cannot be had (or the size cannot be addressed).
    BackBuffer(int width, int height);

    int width() const { return width_; }
    int height() const { return height_; }
    int rowLength() const { return rowLength_; }
    std::size_t byteCount() const { return static_cast<std::size_t>(rowLength_) * height_; }

    // The first byte in memory, which belongs to the bottom row.
    std::uint8_t* bytes() { return storage_.get(); }
    const std::uint8_t* bytes() const { return storage_.get(); }
    // Shared so that a drawing pass still holding it never writes into freed memory.
    const std::shared_ptr<std::uint8_t[]>& storage() const { return storage_; }

    // Row y of the image, counted from the top.
    std::uint8_t* row(int y) { return bytes() + static_cast<std::size_t>(height_ - 1 - y) * rowLength_; }
    const std::uint8_t* row(int y) const {
        return bytes() + static_cast<std::size_t>(height_ - 1 - y) * rowLength_;
    }

    // Copies `other` in at (0, 0) in its own size, cut by this image's size.
    void copyFrom(const BackBuffer& other);

    // A nonzero number that names this image and no other, for the 32-bit
    // attribute interface.
    std::int32_t handle() const { return handle_; }

private:
    int width_;
    int height_;
    int rowLength_;
    std::shared_ptr<std::uint8_t[]> storage_;
    std::int32_t handle_;
};

// The back buffer whose handle is given, among the canvases that exist; null if none.
const BackBuffer* BackBufferOfHandle(std::int32_t handle);

} // namespace toolkit
