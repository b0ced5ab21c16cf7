#include "picture_in/picture.h"

namespace picture_in {

std::string SizeRefusal(std::int64_t width, std::int64_t height) {
    if (width <= 0 || height <= 0)
        return "picture has no pixels (" + std::to_string(width) + " x " + std::to_string(height) + ")";
    if (width > MaxSide || height > MaxSide || width * height > MaxPixels)
        return "picture too large (" + std::to_string(width) + " x " + std::to_string(height) + ", at most " +
               std::to_string(MaxPixels / (1024 * 1024)) + " megapixels and " + std::to_string(MaxSide) + " a side)";
    return "";
}

base::Error Refused(std::string cause) { return base::Refusal(std::move(cause)); }

}  // namespace picture_in
