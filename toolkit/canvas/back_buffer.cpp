#include "toolkit/canvas/back_buffer.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

namespace toolkit {
namespace {

std::int32_t nextHandle = 1;
std::uint64_t lastStamp = 0;

// The largest image whose rows can still be addressed with int arithmetic.
constexpr std::int64_t LargestByteCount = std::numeric_limits<std::int32_t>::max();

}  // namespace

BackBuffer::BackBuffer(int width, int height) : width_(std::max(width, 1)), height_(std::max(height, 1)) {
    if (width_ > (std::numeric_limits<int>::max() - 3) / 3 ||
        static_cast<std::int64_t>(RowLength(width_)) * height_ > LargestByteCount)
        throw std::bad_alloc();
    rowLength_ = RowLength(width_);
    storage_ = std::shared_ptr<std::uint8_t[]>(new std::uint8_t[byteCount()]);
    std::memset(storage_.get(), 0xFF, byteCount());
    const auto tiles = static_cast<std::size_t>(tileColumns()) * tileRows();
    changedTiles_ = std::shared_ptr<TileFlag[]>(new TileFlag[tiles]());
    restamp();
    handle_ = nextHandle++;
    if (nextHandle <= 0)
        nextHandle = 1;
}

void BackBuffer::copyFrom(const BackBuffer& other) {
    touch();
    const int rows = std::min(height_, other.height_);
    const auto rowBytes = static_cast<std::size_t>(std::min(width_, other.width_)) * 3;
    for (int y = 0; y < rows; ++y)
        std::memcpy(storage_.get() + static_cast<std::size_t>(height_ - 1 - y) * rowLength_, other.row(y), rowBytes);
}

std::uint64_t BackBuffer::restamp() { return stamp_ = ++lastStamp; }

void BackBuffer::touch() {
    restamp();
    wholeChanged_ = true;
}

void BackBuffer::markShown(int left, int top, int width, int height) {
    if (left <= 0 && top <= 0 && left + width >= width_ && top + height >= height_) {
        wholeChanged_ = false;
        std::fill_n(changedTiles_.get(), static_cast<std::size_t>(tileColumns()) * tileRows(), TileFlag{0});
        return;
    }
    // A tile on the picture's right or bottom edge is whole once the area reaches that edge.
    const int firstColumn = (left + TileSize - 1) / TileSize;
    const int firstRow = (top + TileSize - 1) / TileSize;
    const int endColumn = left + width >= width_ ? tileColumns() : (left + width) / TileSize;
    const int endRow = top + height >= height_ ? tileRows() : (top + height) / TileSize;
    for (int tileRow = firstRow; tileRow < endRow; ++tileRow)
        for (int column = firstColumn; column < endColumn; ++column)
            changedTiles_[static_cast<std::size_t>(tileRow) * tileColumns() + column] = 0;
}

}  // namespace toolkit
