#include "picture_in/test_pictures.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include <gif_lib.h>
#include <jpeglib.h>
#include <png.h>
#include <zlib.h>

#include "screen/screen_layout.h"
#include "testsupport/pixel_oracle.h"

namespace picture_in::testing {
namespace {

void Append(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

// libpng jumps here on failure; nothing in this frame is read after it.
void WritePng(png_structp png, png_infop info, Bytes& out, int width, int height, int depth, int type,
              const std::vector<png_color>& plte, std::vector<png_bytep>& rows) {
    if (setjmp(png_jmpbuf(png)))
        throw std::runtime_error("PNG writing failed");
    png_set_write_fn(png, &out, Append, nullptr);
    png_set_IHDR(png, info, width, height, depth, type, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (!plte.empty())
        png_set_PLTE(png, info, plte.data(), static_cast<int>(plte.size()));
    png_write_info(png, info);
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
}

int AppendGif(GifFileType* gif, const GifByteType* data, int length) {
    auto* out = static_cast<Bytes*>(gif->UserData);
    out->insert(out->end(), data, data + length);
    return length;
}

std::vector<Rgb> DistinctColours(const Picture& picture) {
    std::vector<Rgb> colours;
    for (Rgb c : picture.pixels)
        if (std::find(colours.begin(), colours.end(), c) == colours.end())
            colours.push_back(c);
    return colours;
}

}  // namespace

Picture Gradient(int width, int height) {
    Picture picture{width, height, {}};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.pixels.push_back(Rgb{static_cast<std::uint8_t>(x * 255 / std::max(1, width - 1)),
                                         static_cast<std::uint8_t>(y * 255 / std::max(1, height - 1)),
                                         static_cast<std::uint8_t>((x + y) % 256)});
    return picture;
}

Picture ScreenPicture(std::span<const std::uint8_t> screen, render::Palette palette, int scale) {
    Picture picture{screen::ScreenWidth * scale, screen::ScreenHeight * scale, {}};
    picture.pixels.reserve(static_cast<std::size_t>(picture.width) * picture.height);
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x) {
            const int sx = x / scale, sy = y / scale;
            const std::uint8_t attr = screen[testsupport::AttributeOffset(sx / 8, sy / 8)];
            const bool ink = testsupport::PixelOf(screen.data(), sx, sy);
            picture.pixels.push_back(ink ? render::InkColour(attr, palette) : render::PaperColour(attr, palette));
        }
    return picture;
}

Bytes ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    return Bytes{std::istreambuf_iterator<char>(in), {}};
}

Bytes PngOf(const Picture& picture, PngKind kind, const std::vector<std::uint8_t>& alpha) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    Bytes out;
    const std::vector<Rgb> palette = kind == PngKind::Palette ? DistinctColours(picture) : std::vector<Rgb>{};
    const int channels = kind == PngKind::Grey8 || kind == PngKind::Palette ? 1 : kind == PngKind::RgbAlpha8 ? 4 : 3;
    const int depth = kind == PngKind::Rgb16 ? 16 : 8;
    std::vector<std::uint8_t> data;
    for (std::size_t i = 0; i < picture.pixels.size(); ++i) {
        const Rgb c = picture.pixels[i];
        if (kind == PngKind::Grey8)
            data.push_back(c.green);
        else if (kind == PngKind::Palette)
            data.push_back(static_cast<std::uint8_t>(std::find(palette.begin(), palette.end(), c) - palette.begin()));
        else
            for (std::uint8_t v : {c.red, c.green, c.blue})
                for (int b = 0; b < depth / 8; ++b)
                    data.push_back(v);  // 16-bit samples as v * 257
        if (kind == PngKind::RgbAlpha8)
            data.push_back(alpha.empty() ? 255 : alpha[i]);
    }
    std::vector<png_bytep> rows;
    for (int y = 0; y < picture.height; ++y)
        rows.push_back(data.data() + static_cast<std::size_t>(y) * picture.width * channels * depth / 8);
    const int type = kind == PngKind::Grey8       ? PNG_COLOR_TYPE_GRAY
                     : kind == PngKind::Palette   ? PNG_COLOR_TYPE_PALETTE
                     : kind == PngKind::RgbAlpha8 ? PNG_COLOR_TYPE_RGB_ALPHA
                                                  : PNG_COLOR_TYPE_RGB;
    std::vector<png_color> plte;
    for (Rgb c : palette)
        plte.push_back(png_color{c.red, c.green, c.blue});
    WritePng(png, info, out, picture.width, picture.height, depth, type, plte, rows);
    png_destroy_write_struct(&png, &info);
    return out;
}

Bytes PngHeaderOnly(std::uint32_t width, std::uint32_t height) {
    Bytes out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    auto u32 = [](Bytes& to, std::uint32_t v) {
        for (int shift = 24; shift >= 0; shift -= 8)
            to.push_back(static_cast<std::uint8_t>(v >> shift));
    };
    auto chunk = [&](const char* type, const Bytes& data) {
        u32(out, static_cast<std::uint32_t>(data.size()));
        Bytes typed(type, type + 4);
        typed.insert(typed.end(), data.begin(), data.end());
        out.insert(out.end(), typed.begin(), typed.end());
        u32(out, static_cast<std::uint32_t>(crc32(0, typed.data(), static_cast<uInt>(typed.size()))));
    };
    Bytes header;
    u32(header, width), u32(header, height);
    header.insert(header.end(), {8, 2, 0, 0, 0});  // 8-bit RGB
    chunk("IHDR", header);
    chunk("IDAT", {});  // no pixels: the reader must refuse from the header
    chunk("IEND", {});
    return out;
}

Bytes JpegOf(const Picture& picture, int quality) {
    jpeg_compress_struct info{};
    jpeg_error_mgr error{};
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = picture.width;
    info.image_height = picture.height;
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(
            reinterpret_cast<const JSAMPLE*>(picture.pixels.data() + std::size_t{info.next_scanline} * picture.width));
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    Bytes out(buffer, buffer + size);
    std::free(buffer);
    return out;
}

Bytes ManyScanJpeg(int width, int height, int scans) {
    jpeg_compress_struct info{};
    jpeg_error_mgr error{};
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = width;
    info.image_height = height;
    info.input_components = 1;
    info.in_color_space = JCS_GRAYSCALE;
    jpeg_set_defaults(&info);
    // The DC coefficients first, then every AC one at full precision.
    const jpeg_scan_info script[] = {{1, {0}, 0, 0, 0, 0}, {1, {0}, 1, 63, 0, 0}};
    info.scan_info = script;
    info.num_scans = 2;
    jpeg_start_compress(&info, TRUE);
    std::vector<JSAMPLE> row(width, 100);
    while (info.next_scanline < info.image_height) {
        JSAMPROW rows[] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    const Bytes once(buffer, buffer + size);
    std::free(buffer);
    // The AC scan, with the tables written before it, is everything from the
    // first marker after the DC scan's data to the end-of-image marker (in
    // entropy-coded data 0xFF is followed by 0 or a restart marker).
    std::size_t at = 2;
    int sosSeen = 0;
    while (sosSeen == 0 || once[at] != 0xFF || once[at + 1] == 0 || (once[at + 1] >= 0xD0 && once[at + 1] <= 0xD7)) {
        if (sosSeen == 0 && once[at] == 0xFF && once[at + 1] == 0xDA) {
            sosSeen = 1;
            at += 2 + (once[at + 2] << 8 | once[at + 3]);
        } else if (sosSeen == 0 && once[at] == 0xFF) {
            at += 2 + (once[at + 2] << 8 | once[at + 3]);
        } else {
            ++at;
        }
    }
    const Bytes scan(once.begin() + static_cast<long>(at), once.end() - 2);
    Bytes out(once.begin(), once.end() - 2);
    for (int i = 2; i < scans; ++i)
        out.insert(out.end(), scan.begin(), scan.end());
    out.insert(out.end(), {0xFF, 0xD9});
    return out;
}

Bytes GifOf(const Picture& frame, int screenWidth, int screenHeight, int left, int top, const Rgb* transparent,
            bool interlaced) {
    std::vector<Rgb> colours = DistinctColours(frame);
    if (transparent && std::find(colours.begin(), colours.end(), *transparent) == colours.end())
        colours.push_back(*transparent);
    int bits = 1;
    while ((1 << bits) < static_cast<int>(colours.size()))
        ++bits;
    std::vector<GifColorType> entries(1u << bits, GifColorType{0, 0, 0});
    for (std::size_t i = 0; i < colours.size(); ++i)
        entries[i] = GifColorType{colours[i].red, colours[i].green, colours[i].blue};
    Bytes out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, AppendGif, &error);
    ColorMapObject* map = GifMakeMapObject(1 << bits, entries.data());
    EGifSetGifVersion(gif, true);
    EGifPutScreenDesc(gif, screenWidth, screenHeight, bits, 0, map);
    if (transparent) {
        const int index = static_cast<int>(std::find(colours.begin(), colours.end(), *transparent) - colours.begin());
        const GifByteType control[4] = {1, 0, 0, static_cast<GifByteType>(index)};
        EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, control);
    }
    EGifPutImageDesc(gif, left, top, frame.width, frame.height, interlaced, nullptr);
    std::vector<GifPixelType> line(frame.width);
    auto lineOf = [&](int y) {
        for (int x = 0; x < frame.width; ++x)
            line[x] =
                static_cast<GifPixelType>(std::find(colours.begin(), colours.end(), frame.at(x, y)) - colours.begin());
        EGifPutLine(gif, line.data(), frame.width);
    };
    if (interlaced) {
        for (auto [start, step] : {std::pair{0, 8}, {4, 8}, {2, 4}, {1, 2}})
            for (int y = start; y < frame.height; y += step)
                lineOf(y);
    } else {
        for (int y = 0; y < frame.height; ++y)
            lineOf(y);
    }
    EGifCloseFile(gif, &error);
    GifFreeMapObject(map);
    return out;
}

}  // namespace picture_in::testing
