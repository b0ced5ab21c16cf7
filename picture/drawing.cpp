#include "picture/drawing.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <type_traits>

#include "picture/linear_light.h"
#include "screen/screen_layout.h"

namespace picture {
namespace {

using screen::ColourCode;
using screen::DecodedPicture;

constexpr int MaxPaletteSize = 256;
// Keys of averaged frames are numbers below this; more distinct codes than
// its root per frame are drawn pixel by pixel instead.
constexpr int MaxKeys = 1 << 16;
constexpr int NoEntry = -1;

// Where each key's colour lies in the palette, or that it does not fit.
struct PaletteOfKeys {
    std::vector<Rgb> colours;
    std::vector<std::uint8_t> entry;  // per key
    std::uint8_t grid = 0;
    bool fits = true;
};

int EntryFor(std::vector<Rgb>& colours, Rgb colour) {
    const auto found = std::find(colours.begin(), colours.end(), colour);
    if (found != colours.end())
        return static_cast<int>(found - colours.begin());
    if (colours.size() == MaxPaletteSize)
        return NoEntry;
    colours.push_back(colour);
    return static_cast<int>(colours.size() - 1);
}

void Enter(PaletteOfKeys& palette, std::size_t key, Rgb colour) {
    const int entry = EntryFor(palette.colours, colour);
    palette.fits = palette.fits && entry != NoEntry;
    palette.entry[key] = static_cast<std::uint8_t>(std::max(entry, 0));
}

void EnterGrid(PaletteOfKeys& palette) {
    const int entry = EntryFor(palette.colours, GridColour);
    palette.fits = palette.fits && entry != NoEntry;
    palette.grid = static_cast<std::uint8_t>(std::max(entry, 0));
}

std::size_t FrameSize(const DecodedPicture& picture) {
    return static_cast<std::size_t>(picture.width) * picture.height;
}

// Whether every code is one of the Spectrum's 16: their bits above the
// lowest four OR to nothing, which the compiler checks many codes at a time.
bool OnlySpectrumCodes(const DecodedPicture& picture) {
    unsigned high = 0;
    for (const ColourCode code : picture.pixels)
        high |= code;
    return high < screen::SpectrumColourCodes;
}

std::array<bool, screen::ColourCodeCount> CodesUsed(const DecodedPicture& picture) {
    std::array<bool, screen::ColourCodeCount> used{};
    for (const ColourCode code : picture.pixels)
        used[std::min<int>(code, screen::ColourCodeCount - 1)] = true;
    return used;
}

// A line of keys as palette entries, each repeated `Scale` times. A fixed
// count lets the compiler write the copies directly; a count known only at
// run time turned every pixel into a call to memset, the most of the
// drawing's time.
template <int Scale>
void WidenLineBy(const std::uint16_t* keys, const std::uint8_t* entry, int width, std::uint8_t* out) {
    for (int x = 0; x < width; ++x, out += Scale) {
        const std::uint8_t index = entry[keys[x]];
        for (int copy = 0; copy < Scale; ++copy)
            out[copy] = index;
    }
}

void WidenLine(const std::uint16_t* keys, const std::uint8_t* entry, int width, std::uint8_t* out, int scale) {
    switch (scale) {
    case 1: WidenLineBy<1>(keys, entry, width, out); return;
    case 2: WidenLineBy<2>(keys, entry, width, out); return;
    case 3: WidenLineBy<3>(keys, entry, width, out); return;
    case 4: WidenLineBy<4>(keys, entry, width, out); return;
    default:
        for (int x = 0; x < width; ++x, out += scale)
            std::fill_n(out, scale, entry[keys[x]]);
    }
}

int GridSpan(const DecodedPicture& picture, int scale) { return screen::CellSize * picture.rowRepeat * scale; }

// Two pixels of the Spectrum's codes at a time, at scale 1 or 2: the
// entries of every pair of codes, each `Scale` times, looked up at once.
template <int Scale>
bool RenderPairs(const DecodedPicture& picture, const std::uint16_t* keys, const PaletteOfKeys& palette,
                 IndexedPicture& out) {
    using Pixels = std::conditional_t<Scale == 1, std::uint16_t, std::uint32_t>;
    if (picture.width % 2 != 0)
        return false;
    std::array<Pixels, 256> pairs{};
    for (int left = 0; left < 16; ++left)
        for (int right = 0; right < 16; ++right) {
            std::array<std::uint8_t, 2 * Scale> bytes{};
            for (int copy = 0; copy < Scale; ++copy) {
                bytes[copy] = palette.entry[left];
                bytes[Scale + copy] = palette.entry[right];
            }
            std::memcpy(&pairs[left << 4 | right], bytes.data(), sizeof(Pixels));
        }
    const int repeat = picture.rowRepeat * Scale;
    for (int y = 0; y < picture.height; ++y) {
        const std::uint16_t* in = keys + static_cast<std::size_t>(y) * picture.width;
        std::uint8_t* row = out.pixels.data() + static_cast<std::size_t>(y) * repeat * out.width;
        for (int x = 0; x < picture.width; x += 2)
            std::memcpy(row + x * Scale, &pairs[in[x] << 4 | in[x + 1]], sizeof(Pixels));
        for (int copy = 1; copy < repeat; ++copy)
            std::copy_n(row, out.width, row + static_cast<std::size_t>(copy) * out.width);
    }
    return true;
}

// The picture of `keys` (one per pixel of a frame) in the palette's entries.
IndexedPicture Render(const DecodedPicture& picture, const std::uint16_t* keys, const PaletteOfKeys& palette,
                      const DrawOptions& options, bool spectrumOnly = false) {
    const int scale = options.scale;
    const int repeat = picture.rowRepeat * scale;
    IndexedPicture out{picture.width * scale, picture.height * repeat, palette.colours, {}};
    out.pixels.resize(static_cast<std::size_t>(out.width) * out.height);
    const bool paired = spectrumOnly && ((scale == 1 && RenderPairs<1>(picture, keys, palette, out)) ||
                                         (scale == 2 && RenderPairs<2>(picture, keys, palette, out)));
    for (int y = 0; y < picture.height && !paired; ++y) {
        const std::uint16_t* in = keys + static_cast<std::size_t>(y) * picture.width;
        std::uint8_t* row = out.pixels.data() + static_cast<std::size_t>(y) * repeat * out.width;
        WidenLine(in, palette.entry.data(), picture.width, row, scale);
        for (int copy = 1; copy < repeat; ++copy)
            std::copy_n(row, out.width, row + static_cast<std::size_t>(copy) * out.width);
    }
    if (options.grid == Grid::On) {
        const int span = GridSpan(picture, scale);
        std::uint8_t* pixel = out.pixels.data();
        for (int y = 0; y < out.height; ++y)
            for (int x = 0; x < out.width; ++x, ++pixel)
                if (OnGrid(x, y, span))
                    *pixel = palette.grid;
    }
    return out;
}

// Pixel by pixel, for colours no palette holds.
template <typename ColourAt>
RgbPicture RenderRgb(const DecodedPicture& picture, ColourAt colourAt, const DrawOptions& options) {
    const int scale = options.scale;
    const int repeat = picture.rowRepeat * scale;
    RgbPicture out{picture.width * scale, picture.height * repeat, {}};
    out.pixels.resize(static_cast<std::size_t>(out.width) * out.height);
    const int span = GridSpan(picture, scale);
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x)
            out.pixels[static_cast<std::size_t>(y) * out.width + x] =
                options.grid == Grid::On && OnGrid(x, y, span) ? GridColour : colourAt(x / scale, y / repeat);
    return out;
}

// The colour of pixel (x, y) as the eye sees all frames.
Rgb AverageAt(const DecodedPicture& picture, int x, int y, Levels levels) {
    LinearRgb sum;
    for (int frame = 0; frame < picture.frames; ++frame) {
        const LinearRgb c = Linear(ColourOf(picture.at(frame, x, y), levels));
        sum.red += c.red;
        sum.green += c.green;
        sum.blue += c.blue;
    }
    const float n = static_cast<float>(picture.frames);
    return Srgb({sum.red / n, sum.green / n, sum.blue / n});
}

// Frames averaged through keys: the codes used are numbered 0..n-1, and a
// pixel's key is its frames' numbers as the digits of a number to base n, so
// each distinct mix is averaged once however many pixels show it.
Image DrawAveraged(const DecodedPicture& picture, const DrawOptions& options) {
    const auto used = CodesUsed(picture);
    std::array<std::uint16_t, screen::ColourCodeCount> number{};
    std::vector<ColourCode> codes;
    for (int code = 0; code < screen::ColourCodeCount; ++code)
        if (used[code]) {
            number[code] = static_cast<std::uint16_t>(codes.size());
            codes.push_back(static_cast<ColourCode>(code));
        }
    const int n = static_cast<int>(codes.size());
    long keyCount = 1;
    for (int frame = 0; frame < picture.frames && keyCount <= MaxKeys; ++frame)
        keyCount *= n;
    const auto direct = [&](int x, int y) { return AverageAt(picture, x, y, options.levels); };
    if (keyCount > MaxKeys)
        return RenderRgb(picture, direct, options);

    const std::size_t frameSize = FrameSize(picture);
    std::vector<std::uint16_t> keys(frameSize, 0);
    for (int frame = picture.frames - 1; frame >= 0; --frame) {
        const ColourCode* in = picture.pixels.data() + frame * frameSize;
        for (std::size_t i = 0; i < frameSize; ++i)
            keys[i] =
                static_cast<std::uint16_t>(keys[i] * n + number[std::min<int>(in[i], screen::ColourCodeCount - 1)]);
    }
    std::vector<bool> keyUsed(static_cast<std::size_t>(keyCount), false);
    for (const std::uint16_t key : keys)
        keyUsed[key] = true;

    std::vector<LinearRgb> linear(codes.size());
    for (std::size_t i = 0; i < codes.size(); ++i)
        linear[i] = Linear(ColourOf(codes[i], options.levels));
    PaletteOfKeys palette;
    palette.entry.assign(static_cast<std::size_t>(keyCount), 0);
    for (long key = 0; key < keyCount; ++key) {
        if (!keyUsed[key])
            continue;
        LinearRgb sum;
        for (long digits = key, frame = 0; frame < picture.frames; ++frame, digits /= n) {
            const LinearRgb c = linear[digits % n];
            sum.red += c.red;
            sum.green += c.green;
            sum.blue += c.blue;
        }
        const float count = static_cast<float>(picture.frames);
        Enter(palette, key, Srgb({sum.red / count, sum.green / count, sum.blue / count}));
    }
    if (options.grid == Grid::On)
        EnterGrid(palette);
    if (!palette.fits)
        return RenderRgb(picture, direct, options);
    return Render(picture, keys.data(), palette, options);
}

}  // namespace

Image DrawFrame(const DecodedPicture& picture, int frame, const DrawOptions& options) {
    // Every Spectrum colour has an entry, used or not, so that every frame
    // and every screen draws with one palette; other codes only when used.
    PaletteOfKeys palette;
    palette.entry.assign(screen::ColourCodeCount, 0);
    const bool all = options.entries == PaletteEntries::AllSpectrum;
    if (all)
        for (int code = 0; code < screen::SpectrumColourCodes; ++code)
            Enter(palette, code, ColourOf(static_cast<ColourCode>(code), options.levels));
    const bool spectrumOnly = OnlySpectrumCodes(picture);
    if (!spectrumOnly || !all) {
        const auto used = CodesUsed(picture);
        for (int code = all ? screen::FirstUlaPlusCode : 0; code < screen::ColourCodeCount; ++code)
            if (used[code])
                Enter(palette, code, ColourOf(static_cast<ColourCode>(code), options.levels));
    }
    if (all || options.grid == Grid::On)
        EnterGrid(palette);
    const ColourCode* codes = picture.pixels.data() + frame * FrameSize(picture);
    if (!palette.fits)
        return RenderRgb(
            picture,
            [&](int x, int y) {
                return ColourOf(codes[static_cast<std::size_t>(y) * picture.width + x], options.levels);
            },
            options);
    return Render(picture, codes, palette, options, spectrumOnly);
}

Image Draw(const DecodedPicture& picture, const DrawOptions& options) {
    if (picture.frames == 1)
        return DrawFrame(picture, 0, options);
    return DrawAveraged(picture, options);
}

RgbPicture ToRgb(const Image& image) {
    if (const auto* rgb = std::get_if<RgbPicture>(&image))
        return *rgb;
    const auto& indexed = std::get<IndexedPicture>(image);
    RgbPicture rgb{indexed.width, indexed.height, {}};
    rgb.pixels.reserve(indexed.pixels.size());
    for (const std::uint8_t index : indexed.pixels)
        rgb.pixels.push_back(indexed.palette[index]);
    return rgb;
}

int WidthOf(const Image& image) {
    return std::visit([](const auto& picture) { return picture.width; }, image);
}

int HeightOf(const Image& image) {
    return std::visit([](const auto& picture) { return picture.height; }, image);
}

}  // namespace picture
