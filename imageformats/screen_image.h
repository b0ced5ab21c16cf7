#pragma once
// A screen file as a picture for other programs' image readers (the Qt image
// plugins, the GdkPixbuf loader): which files they may take, and the colour
// view they show. Free of any toolkit, so each reader is a thin wrapper.

#include <cstddef>
#include <cstdint>
#include <span>

#include "render/view_rule.h"
#include "screen/screen_layout.h"

namespace imageformats {

inline constexpr int PictureWidth = screen::ScreenWidth;
inline constexpr int PictureHeight = screen::ScreenHeight;
inline constexpr int BytesPerPixel = 3;  // red, green, blue

// A reader never needs more than one byte past a screen to tell a screen
// file from a longer one.
inline constexpr std::size_t ScreenBytes = screen::ScreenSize;
inline constexpr std::size_t LookLimit = ScreenBytes + 1;

// Whether a file of `size` bytes that starts with `start` (its first bytes,
// at least two when it has them) is taken for a screen. A screen has no
// signature, so the size decides, except that a Windows screen saver, also
// named .scr, is a program and starts with "MZ".
bool IsScreenFile(std::uint64_t size, std::span<const std::uint8_t> start);

// Draws the colour view of the screen, one pixel a screen pixel, as the
// window shows it (its palette, FLASH not shown, no cell highlighted), into
// rows of PictureWidth red-green-blue pixels `rowBytes` apart.
void DrawColourView(std::span<const std::uint8_t, ScreenBytes> screenBytes, std::uint8_t* pixels, std::size_t rowBytes,
                    render::Palette palette = render::WindowPalette);

}  // namespace imageformats
