#pragma once
// A decoded picture in 8-bit sRGB, the form every decoder hands over, and the
// limits a picture from an untrusted file must keep.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "base/result.h"
#include "render/view_rule.h"

namespace picture_in {

using render::Rgb;

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<Rgb> pixels;  // row by row

    Rgb at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// A picture, or its refusal in a few words ("truncated PNG data") as the error's detail.
using Decoded = base::Result<Picture>;

// Larger pictures are refused from their header, before any pixel memory is
// taken: 64 megapixels is a 9000 x 7000 photograph, 192 MiB as RGB.
constexpr std::int64_t MaxPixels = 64LL * 1024 * 1024;
constexpr std::int64_t MaxSide = 32768;

// The cause for a header that announces a size beyond the limits, or "".
std::string SizeRefusal(std::int64_t width, std::int64_t height);

// A decoder's refusal, in its own words.
base::Error Refused(std::string cause);

}  // namespace picture_in
