#pragma once
// One decoder under random files: whatever the bytes, it returns a picture
// within the limits or a refusal in words, never a silent one; a picture that
// comes back goes on through the reduction and the fitting.

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "picture_in/decode.h"
#include "picture_in/fitting.h"

namespace picture_in_fuzz {

inline int Run(picture_in::Decoded (*decode)(std::span<const std::uint8_t>, const picture_in::DecodeOptions&),
               const std::uint8_t* data, std::size_t size) {
    const picture_in::DecodeOptions options{{10, 20, 30}, 256, 192};
    const picture_in::Decoded decoded = decode(std::span(data, size), options);
    if (!decoded) {
        if (decoded.error().What().empty()) {
            std::fprintf(stderr, "a refusal without its cause\n");
            std::abort();
        }
        return 0;
    }
    const picture_in::Picture& picture = *decoded;
    if (picture.width <= 0 || picture.height <= 0 ||
        picture.pixels.size() != static_cast<std::size_t>(picture.width) * picture.height ||
        !picture_in::SizeRefusal(picture.width, picture.height).empty())
        std::abort();
    // Fitting costs in proportion to the pixels: kept to small pictures so
    // that the search stays on the decoder.
    if (picture.pixels.size() <= 1u << 18) {
        (void)picture_in::ReducedExactly(picture);
        (void)picture_in::Fitted(picture, picture_in::Fit::Cover, {0, 0, 0});
    }
    return 0;
}

}  // namespace picture_in_fuzz
