#pragma once
// A file of one mode written in another, exactly: byte for byte between the
// bitmap-and-attribute modes where the cells fit (.mc to .mlt, a screen to
// .img and back, a screen to .bsc and back), else through the picture
// (decoded in the first FLASH phase and written by the target's writer).
// Refused where the target has no writer or the picture does not fit it.

#include <cstdint>
#include <vector>

#include "base/result.h"
#include "modes/picture_modes.h"

namespace modes {

struct Converted {
    std::vector<std::uint8_t> bytes;
    // The source's border has no place in the target, which took the screen
    // area alone: what the user loses, to be told.
    bool borderDropped = false;
};

// A screen without a border written into a bordered mode (.bsc, .bmc4) keeps
// its cells and gets a black border, black being what import puts under a
// picture where it has none; a bordered file written into a mode without a
// border gives that mode its screen area.
base::Result<Converted> ConvertExactly(const PictureMode& from, Bytes bytes, const PictureMode& to);

}  // namespace modes
