#include "toolkit/canvas/back_buffer.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

namespace toolkit {
namespace {

std::int32_t nextHandle = 1;

// The largest image whose rows can still be addressed with int arithmetic.
constexpr std::int64_t LargestByteCount = std::numeric_limits<std::int32_t>::max();

} // namespace

BackBuffer::BackBuffer(int width, int height)
    : width_(std::max(width, 1)), height_(std::max(height, 1)) {
    if (width_ > (std::numeric_limits<int>::max() - 3) / 3
        || static_cast<std::int64_t>(RowLength(width_)) * height_ > LargestByteCount)
        throw std::bad_alloc();
    rowLength_ = RowLength(width_);
    storage_ = std::shared_ptr<std::uint8_t[]>(new std::uint8_t[byteCount()]);
    std::memset(storage_.get(), 0xFF, byteCount());
    handle_ = nextHandle++;
    if (nextHandle <= 0)
        nextHandle = 1;
}

void BackBuffer::copyFrom(const BackBuffer& other) {
    const int rows = std::min(height_, other.height_);
    const auto rowBytes = static_cast<std::size_t>(std::min(width_, other.width_)) * 3;
    for (int y = 0; y < rows; ++y)
        std::memcpy(row(y), other.row(y), rowBytes);
}

} // namespace toolkit
