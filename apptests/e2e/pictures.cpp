#include "apptests/e2e/pictures.h"

#include <sstream>

#include "render/views.h"
#include "testsupport/view_oracle.h"

namespace e2e {
namespace {

constexpr int ScreenWidth = 256;
constexpr int ScreenHeight = 192;
constexpr int Scale = render::ViewScale;

}  // namespace

Image::Image(int w, int h, Rgb fill) : width(w), height(h), rgb(static_cast<std::size_t>(w) * h * 3) {
    for (std::size_t i = 0; i < rgb.size(); i += 3) {
        rgb[i] = fill.red;
        rgb[i + 1] = fill.green;
        rgb[i + 2] = fill.blue;
    }
}

Rgb Image::At(int x, int y) const {
    std::size_t i = (static_cast<std::size_t>(y) * width + x) * 3;
    return {rgb[i], rgb[i + 1], rgb[i + 2]};
}

void Image::Set(int x, int y, Rgb colour) {
    std::size_t i = (static_cast<std::size_t>(y) * width + x) * 3;
    rgb[i] = colour.red;
    rgb[i + 1] = colour.green;
    rgb[i + 2] = colour.blue;
}

Image Image::Crop(int x, int y, int w, int h) const {
    Image part(w, h);
    for (int row = 0; row < h; ++row)
        for (int column = 0; column < w; ++column)
            if (x + column >= 0 && x + column < width && y + row >= 0 && y + row < height)
                part.Set(column, row, At(x + column, y + row));
    return part;
}

std::optional<Image> ParsePpm(const std::string& bytes) {
    std::istringstream in(bytes);
    std::string magic;
    int width = 0;
    int height = 0;
    int maximum = 0;
    in >> magic;
    // Comment lines may stand between the numbers.
    auto number = [&in](int& value) {
        while (in >> std::ws && in.peek() == '#')
            in.ignore(1 << 20, '\n');
        in >> value;
    };
    number(width);
    number(height);
    number(maximum);
    if (!in || magic != "P6" || width <= 0 || height <= 0 || maximum != 255)
        return std::nullopt;
    in.get();  // the one white-space character before the pixels
    Image image(width, height);
    std::size_t start = static_cast<std::size_t>(in.tellg());
    if (bytes.size() < start + image.rgb.size())
        return std::nullopt;
    image.rgb.assign(bytes.begin() + static_cast<std::ptrdiff_t>(start),
                     bytes.begin() + static_cast<std::ptrdiff_t>(start + image.rgb.size()));
    return image;
}

std::string ToPpm(const Image& image) {
    std::string ppm = "P6\n" + std::to_string(image.width) + " " + std::to_string(image.height) + "\n255\n";
    ppm.append(image.rgb.begin(), image.rgb.end());
    return ppm;
}

Difference Compare(const Image& actual, const Image& expected) {
    Difference difference;
    if (actual.width != expected.width || actual.height != expected.height) {
        difference.pixels = static_cast<long>(expected.width) * expected.height;
        return difference;
    }
    for (int y = 0; y < expected.height; ++y)
        for (int x = 0; x < expected.width; ++x)
            if (!(actual.At(x, y) == expected.At(x, y))) {
                if (difference.pixels++ == 0) {
                    difference.firstX = x;
                    difference.firstY = y;
                }
            }
    return difference;
}

std::string Difference::Describe(const Image& actual, const Image& expected) const {
    std::ostringstream text;
    if (actual.width != expected.width || actual.height != expected.height) {
        text << "size " << actual.width << "x" << actual.height << " instead of " << expected.width << "x"
             << expected.height;
        return text.str();
    }
    text << pixels << " pixels differ";
    if (pixels > 0) {
        Rgb got = actual.At(firstX, firstY);
        Rgb want = expected.At(firstX, firstY);
        text << ", first at (" << firstX << ", " << firstY << "): " << int(got.red) << "," << int(got.green) << ","
             << int(got.blue) << " instead of " << int(want.red) << "," << int(want.green) << "," << int(want.blue);
    }
    return text.str();
}

Image ViewPicture(const ScreenBytes& screen, View view, std::optional<Cell> highlight, bool grid) {
    testsupport::ViewLook look;
    look.mono = view == View::Mono;
    look.scale = Scale;
    look.grid = grid;
    if (highlight) {
        look.highlightColumn = highlight->column;
        look.highlightRow = highlight->row;
    }
    Image picture(ScreenWidth * Scale, ScreenHeight * Scale);
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x) {
            const testsupport::Rgb colour = testsupport::ViewPixel(screen.data(), look, x, y);
            picture.Set(x, y, {colour.red, colour.green, colour.blue});
        }
    return picture;
}

}  // namespace e2e
