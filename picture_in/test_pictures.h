#pragma once
// Pictures written in each format, for the tests and benchmarks: libpng,
// libjpeg and giflib do the writing, so the decoders are checked against
// the libraries' own files rather than against our idea of them.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "picture_in/picture.h"

namespace picture_in::testing {

using Bytes = std::vector<std::uint8_t>;

enum class PngKind { Rgb8, Rgb16, Grey8, Palette, RgbAlpha8 };

// RgbAlpha8 takes `alpha` per pixel (empty: opaque); Palette needs at most
// 256 distinct colours.
Bytes PngOf(const Picture& picture, PngKind kind, const std::vector<std::uint8_t>& alpha = {});
// The signature, a header chunk announcing width x height, an empty data
// chunk and the end.
Bytes PngHeaderOnly(std::uint32_t width, std::uint32_t height);
Bytes JpegOf(const Picture& picture, int quality);
// A one-colour grey progressive JPEG whose every AC scan is repeated to make
// `scans` scans in all: each repeat codes the same coefficients again, which
// libjpeg accepts as consistent, so a decoder does the whole picture's work
// once a scan. libjpeg refuses to write such a script itself; the scan's
// bytes are copied.
Bytes ManyScanJpeg(int width, int height, int scans);
// One frame at (left, top) of a logical screen of the given size; pixels of
// colour `transparent` (when set) are written with the transparent index.
Bytes GifOf(const Picture& frame, int screenWidth, int screenHeight, int left, int top,
            const Rgb* transparent = nullptr, bool interlaced = false);

Picture Gradient(int width, int height);

// A screen's colour view, each pixel a scale x scale block, by the views'
// rule; pixels and attributes found by the test support's own addressing.
Picture ScreenPicture(std::span<const std::uint8_t> screen, render::Palette palette, int scale = 1);

// A file's bytes; throws when it cannot be read.
std::vector<std::uint8_t> ReadFile(const std::string& path);

}  // namespace picture_in::testing
