#pragma once
// A Spectrum picture file as a picture for other programs' image readers (the
// Qt image plugins, the GdkPixbuf loader): which files they may take, and the
// still picture they show. Free of any toolkit, so each reader is a thin
// wrapper over the mode table and the one drawing rule.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "base/result.h"
#include "modes/picture_modes.h"
#include "picture/drawing.h"

namespace imageformats {

inline constexpr int BytesPerPixel = 3;  // red, green, blue

// The row a file is read by: its extension (any case, without the dot) and
// exact size choose it, as scrtool chooses. None has a signature to check
// before reading, except that a Windows screen saver, also named .scr, is a
// program and starts with "MZ" (`start` holds the file's first bytes, at
// least two when it has them). Null when no row takes the file.
const modes::PictureMode* ModeOfFile(std::string_view extension, std::uint64_t size,
                                     std::span<const std::uint8_t> start);

// The most bytes a reader of the extension ever reads: one past the largest
// file any of its rows takes, enough to tell a longer file. 0 for an
// extension no row takes.
std::uint64_t LookLimit(std::string_view extension);

// The still picture of a file's bytes (several frames as the eye sees them,
// the border where the format has one), one pixel a pixel, in the window's
// palette: what `scrtool png --scale 1` draws.
base::Result<picture::RgbPicture> StillPicture(const modes::PictureMode& mode, std::span<const std::uint8_t> bytes);

// The picture's pixels into rows `rowBytes` apart, BytesPerPixel each.
void CopyRows(const picture::RgbPicture& picture, std::uint8_t* pixels, std::size_t rowBytes);

}  // namespace imageformats
