#pragma once
// Pictures as the tests see them: RGB images read from screenshots, and what
// the two views must show for a screen, by the view rule's oracle in
// testsupport/ (grey or black in the mono view, the cell's ink or paper in
// the colour view, every screen pixel a 2 x 2 block).

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace e2e {

struct Rgb {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    bool operator==(const Rgb&) const = default;
};

struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;  // rows top to bottom, three bytes a pixel

    Image() = default;
    Image(int w, int h, Rgb fill = {});
    Rgb At(int x, int y) const;
    void Set(int x, int y, Rgb colour);
    // The part at (x, y) of the given size; parts outside the image stay black.
    Image Crop(int x, int y, int w, int h) const;
    bool operator==(const Image&) const = default;
};

// Binary PPM (P6, maximum 255), as ImageMagick writes it; nothing on failure.
std::optional<Image> ParsePpm(const std::string& bytes);
std::string ToPpm(const Image& image);

// How two images of the same size differ, for failure messages.
struct Difference {
    long pixels = 0;  // pixels that differ (all of them when the sizes differ)
    int firstX = -1;
    int firstY = -1;
    std::string Describe(const Image& actual, const Image& expected) const;
};
Difference Compare(const Image& actual, const Image& expected);

using ScreenBytes = std::vector<std::uint8_t>;  // 6912: bitmap, then attributes

enum class View { Mono, Colour };

struct Cell {
    int column = 0;
    int row = 0;
};

// The picture a view shows for the screen, at the views' size, with the highlighted cell
// drawn with its attribute complemented, and the blue cell grid when asked.
Image ViewPicture(const ScreenBytes& screen, View view, std::optional<Cell> highlight = std::nullopt,
                  bool grid = false);

inline constexpr Rgb White{255, 255, 255};
inline constexpr Rgb GridBlue{0, 0, 255};

}  // namespace e2e
