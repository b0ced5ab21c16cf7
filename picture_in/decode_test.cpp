#include "picture_in/decode.h"

#include <algorithm>
#include <array>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "picture_in/test_magick.h"
#include "picture_in/test_pictures.h"

namespace picture_in {
namespace {

using testing::Bytes;
using testing::Gradient;
using ::testing::HasSubstr;
using testing::PngKind;

Picture Solid(int width, int height, Rgb colour) {
    return Picture{width, height, std::vector<Rgb>(static_cast<std::size_t>(width) * height, colour)};
}

Picture Decoded_(const Bytes& bytes, Rgb background = {0, 0, 0}) {
    Decoded decoded = Decode(bytes, DecodeOptions{background});
    EXPECT_EQ(base::RefusalOf(decoded), "");
    return decoded ? *decoded : Picture{};
}

void ExpectSamePixels(const Picture& got, const Picture& want) {
    ASSERT_EQ(got.width, want.width);
    ASSERT_EQ(got.height, want.height);
    for (std::size_t i = 0; i < want.pixels.size(); ++i)
        ASSERT_EQ(got.pixels[i], want.pixels[i]) << "pixel " << i % want.width << "," << i / want.width;
}

TEST(DecodePng, EveryKindGivesTheWrittenColoursExactly) {
    const Picture picture = Gradient(37, 11);
    ExpectSamePixels(Decoded_(testing::PngOf(picture, PngKind::Rgb8)), picture);
    ExpectSamePixels(Decoded_(testing::PngOf(picture, PngKind::RgbAlpha8)), picture);
    Picture screenColours = Solid(9, 3, Rgb{0, 127, 127});
    screenColours.pixels[4] = Rgb{255, 0, 255};
    ExpectSamePixels(Decoded_(testing::PngOf(screenColours, PngKind::Palette)), screenColours);
    Picture grey = picture;
    for (Rgb& c : grey.pixels)
        c = Rgb{c.green, c.green, c.green};
    ExpectSamePixels(Decoded_(testing::PngOf(picture, PngKind::Grey8)), grey);
}

TEST(DecodePng, AlphaLiesOverTheBackground) {
    const Picture red = Solid(3, 1, Rgb{255, 0, 0});
    const Bytes png = testing::PngOf(red, PngKind::RgbAlpha8, {255, 0, 128});
    const Picture over = Decoded_(png, Rgb{0, 0, 255});
    EXPECT_EQ(over.pixels[0], (Rgb{255, 0, 0}));
    EXPECT_EQ(over.pixels[1], (Rgb{0, 0, 255}));
    // Half of each in linear light is about 188 in sRGB, not the 128 of a
    // mix of the coded values.
    EXPECT_NEAR(over.pixels[2].red, 188, 2);
    EXPECT_NEAR(over.pixels[2].blue, 188, 2);
}

TEST(DecodeJpeg, ColoursComeBackCloseAndShrinkingKeepsTheMinimum) {
    const Picture picture = Solid(64, 48, Rgb{200, 40, 90});
    const Picture got = Decoded_(testing::JpegOf(picture, 95));
    ASSERT_EQ(got.width, 64);
    for (const Rgb c : got.pixels) {
        ASSERT_NEAR(c.red, 200, 3);
        ASSERT_NEAR(c.green, 40, 3);
        ASSERT_NEAR(c.blue, 90, 3);
    }
    const Bytes big = testing::JpegOf(Gradient(800, 600), 80);
    const Decoded half = Decode(big, DecodeOptions{{0, 0, 0}, 300, 200});  // 1/2 keeps 400 x 300; 1/4 would not
    ASSERT_TRUE(half);
    EXPECT_EQ(half->width, 400);
    EXPECT_EQ(half->height, 300);
}

TEST(DecodeGif, FirstFrameOnTheCanvasWithTransparencyShowingTheBackground) {
    Picture frame = Gradient(8, 16);
    for (int x = 0; x < 8; ++x)
        frame.pixels[x] = Rgb{1, 2, 3};  // first line transparent
    const Rgb transparent{1, 2, 3};
    for (bool interlaced : {false, true}) {
        const Picture got = Decoded_(testing::GifOf(frame, 12, 20, 2, 3, &transparent, interlaced), Rgb{9, 9, 9});
        ASSERT_EQ(got.width, 12);
        ASSERT_EQ(got.height, 20);
        EXPECT_EQ(got.at(0, 0), (Rgb{9, 9, 9}));
        EXPECT_EQ(got.at(3, 3), (Rgb{9, 9, 9}));
        for (int y = 1; y < 16; ++y)
            for (int x = 0; x < 8; ++x)
                ASSERT_EQ(got.at(2 + x, 3 + y), frame.at(x, y)) << x << "," << y << " interlaced " << interlaced;
    }
}

// A BMP by hand: 24-bit bottom-up, or 4-bit with a colour table, top-down.
Bytes Bmp(int width, int height, int depth, bool topDown, const std::vector<std::uint8_t>& rows,
          const std::vector<std::uint8_t>& table = {}) {
    Bytes out = {'B', 'M'};
    auto u32 = [&](std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    };
    auto u16 = [&](std::uint32_t v) { out.push_back(v & 255), out.push_back(static_cast<std::uint8_t>(v >> 8)); };
    u32(0), u32(0), u32(14 + 40 + static_cast<std::uint32_t>(table.size()));
    u32(40), u32(width), u32(static_cast<std::uint32_t>(topDown ? -height : height)), u16(1), u16(depth);
    u32(0), u32(0), u32(0), u32(0), u32(static_cast<std::uint32_t>(table.size() / 4)), u32(0);
    out.insert(out.end(), table.begin(), table.end());
    out.insert(out.end(), rows.begin(), rows.end());
    return out;
}

TEST(DecodeBmp, RowsInEitherOrderAndColourTables) {
    // 2 x 2 at 24 bits, bottom row first, each row padded to 8 bytes.
    const Bytes bottomUp = Bmp(2, 2, 24, false, {3, 2, 1, 6, 5, 4, 0, 0, 30, 20, 10, 60, 50, 40, 0, 0});
    const Picture a = Decoded_(bottomUp);
    EXPECT_EQ(a.at(0, 0), (Rgb{10, 20, 30}));
    EXPECT_EQ(a.at(1, 0), (Rgb{40, 50, 60}));
    EXPECT_EQ(a.at(0, 1), (Rgb{1, 2, 3}));
    EXPECT_EQ(a.at(1, 1), (Rgb{4, 5, 6}));
    // 3 x 1 at 4 bits, top-down: indices 1, 0, 1.
    const Bytes nibbles = Bmp(3, 1, 4, true, {0x10, 0x10, 0, 0}, {0, 0, 0, 0, 255, 128, 0, 0});
    const Picture b = Decoded_(nibbles);
    EXPECT_EQ(b.at(0, 0), (Rgb{0, 128, 255}));
    EXPECT_EQ(b.at(1, 0), (Rgb{0, 0, 0}));
    EXPECT_EQ(b.at(2, 0), (Rgb{0, 128, 255}));
}

TEST(DecodePnm, BinaryAndPlainSixteenAndEightBits) {
    const std::string p6 = "P6\n# comment\n2 1\n255\n";
    Bytes binary(p6.begin(), p6.end());
    binary.insert(binary.end(), {10, 20, 30, 40, 50, 60});
    const Picture a = Decoded_(binary);
    EXPECT_EQ(a.at(1, 0), (Rgb{40, 50, 60}));
    const std::string p2 = "P2 2 1 65535 65535 0";
    const Picture b = Decoded_(Bytes(p2.begin(), p2.end()));
    EXPECT_EQ(b.at(0, 0), (Rgb{255, 255, 255}));
    EXPECT_EQ(b.at(1, 0), (Rgb{0, 0, 0}));
}

// Every colour level in each channel, in more colours than a palette holds.
Picture Sweep() {
    Picture picture{64, 16, {}};
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 64; ++x)
            picture.pixels.push_back(Rgb{static_cast<std::uint8_t>(x * 4 + y / 4),
                                         static_cast<std::uint8_t>(y * 16 + x % 16),
                                         static_cast<std::uint8_t>(255 - x * 4 - y % 4)});
    return picture;
}

struct MagickKind {
    const char* format;  // ImageMagick's: BMP3 Windows 3, BMP version 5, BMP2 OS/2
    std::vector<std::string> options;
    std::uint32_t header;  // what the file must turn out to be
    std::uint32_t depth;
    std::uint32_t compression;
    // 16 bits a pixel: the bits of each channel. ImageMagick widens them by
    // repeating their top bits (5 to 8: 28 gives 231), we round (28 x 255 /
    // 31 gives 230); the stored value is its reading's top bits.
    std::array<int, 3> bits = {8, 8, 8};
};

// What ImageMagick writes, at every depth and in every header, reads as
// ImageMagick reads it, pixel for pixel.
TEST(DecodeBmp, EveryDepthAndHeaderImageMagickWrites) {
    const Picture picture = Sweep();
    const std::vector<MagickKind> kinds = {
        {"BMP3", {"-colors", "2"}, 40, 1, 0},
        {"BMP3", {"-colors", "16"}, 40, 4, 0},
        {"BMP3", {"-colors", "256", "-compress", "none"}, 40, 8, 0},
        {"BMP3", {"-type", "truecolor"}, 40, 24, 0},
        {"BMP3", {"-alpha", "set", "-define", "bmp3:alpha=true"}, 40, 32, 0},
        {"BMP", {"-define", "bmp:subtype=RGB565"}, 124, 16, 3, {5, 6, 5}},
        {"BMP", {"-define", "bmp:subtype=RGB555"}, 124, 16, 3, {5, 5, 5}},
        {"BMP", {"-alpha", "set"}, 124, 32, 3},
        {"BMP", {"-colors", "256", "-compress", "none"}, 124, 8, 0},
        {"BMP2", {"-colors", "2"}, 12, 1, 0},
        {"BMP2", {"-colors", "16"}, 12, 4, 0},
        {"BMP2", {"-colors", "256"}, 12, 8, 0},
        {"BMP2", {"-type", "truecolor"}, 12, 24, 0},
    };
    for (const MagickKind& kind : kinds) {
        const Bytes bmp = testing::Magick(testing::PpmOf(picture), "ppm", kind.options, kind.format);
        const std::uint32_t header = bmp[14] | bmp[15] << 8;
        const std::uint32_t depth = header == 12 ? bmp[24] : bmp[28];
        const std::uint32_t compression = header == 12 ? 0 : bmp[30];
        const std::string what = std::string(kind.format) + " " + std::to_string(kind.depth) + " bits";
        ASSERT_EQ(header, kind.header) << what;
        ASSERT_EQ(depth, kind.depth) << what;
        ASSERT_EQ(compression, kind.compression) << what;
        SCOPED_TRACE(what);
        Picture want = testing::MagickPixels(bmp, picture.width, picture.height);
        for (Rgb& c : want.pixels) {
            std::uint8_t* channel[3] = {&c.red, &c.green, &c.blue};
            for (int i = 0; i < 3; ++i) {
                const int top = (1 << kind.bits[i]) - 1;
                *channel[i] = static_cast<std::uint8_t>(((*channel[i] >> (8 - kind.bits[i])) * 255 + top / 2) / top);
            }
        }
        ExpectSamePixels(Decoded_(bmp), want);
    }
}

TEST(DecodePnm, EveryKindImageMagickWrites) {
    const Picture picture = Sweep();
    const std::vector<MagickKind> kinds = {
        {"PPM", {}, '6', 8, 0},
        {"PPM", {"-depth", "16"}, '6', 16, 0},
        {"PPM", {"-depth", "4"}, '6', 4, 0},
        {"PPM", {"-compress", "none"}, '3', 8, 0},
        {"PPM", {"-compress", "none", "-depth", "16"}, '3', 16, 0},
        {"PGM", {}, '5', 8, 0},
        {"PGM", {"-depth", "16"}, '5', 16, 0},
        {"PGM", {"-compress", "none"}, '2', 8, 0},
    };
    for (const MagickKind& kind : kinds) {
        const Bytes pnm = testing::Magick(testing::PpmOf(picture), "ppm", kind.options, kind.format);
        const std::string what(pnm.begin(), pnm.begin() + 16);
        ASSERT_EQ(pnm[1], kind.header) << what;
        SCOPED_TRACE(what);
        ExpectSamePixels(Decoded_(pnm), testing::MagickPixels(pnm, picture.width, picture.height));
    }
}

// Samples half a step either side of an 8-bit level (0x7FFF is 127 x 257 +
// 128): rounded, each is the level; cut to its high byte, half are one off.
TEST(DecodePng, SixteenBitSamplesAreRoundedNotCut) {
    std::vector<std::uint16_t> samples;
    Picture want{256, 3, {}};
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 256; ++x) {
            std::uint8_t level[3];
            for (int c = 0; c < 3; ++c) {
                level[c] = static_cast<std::uint8_t>((x + 85 * c + y) % 256);
                const int away = (x + c) % 2 ? 128 : -128;
                samples.push_back(static_cast<std::uint16_t>(std::clamp(level[c] * 257 + away, 0, 65535)));
            }
            want.pixels.push_back(Rgb{level[0], level[1], level[2]});
        }
    const Bytes ppm = testing::Ppm16Of(256, 3, samples);
    ExpectSamePixels(Decoded_(ppm), want);
    // With ImageMagick's gamma and chromaticity chunks, and with none (the
    // samples are sRGB all the same, as every editor writes them).
    for (const std::vector<std::string>& options : {std::vector<std::string>{}, {"-define", "png:exclude-chunk=all"}}) {
        const Bytes png = testing::Magick(ppm, "ppm", options, "PNG48");
        ASSERT_EQ(png[24], 16);  // the header's bit depth
        ExpectSamePixels(Decoded_(png), want);
        ExpectSamePixels(testing::MagickPixels(png, 256, 3), want);
    }
}

struct BadCase {
    const char* name;
    Bytes bytes;
    const char* cause;
};

TEST(Decode, BadInputIsRefusedWithItsCause) {
    const Bytes png = testing::PngOf(Gradient(64, 64), PngKind::Rgb8);
    Bytes garbledJpeg = testing::JpegOf(Gradient(64, 64), 90);
    for (std::size_t i = garbledJpeg.size() / 2; i < garbledJpeg.size() / 2 + 64; ++i)
        garbledJpeg[i] = static_cast<std::uint8_t>(i * 37);
    const char gifHeader[] = "GIF89a\x02\x00\x02\x00\x00\x00\x00;";
    const std::string noFrames(gifHeader, sizeof gifHeader - 1);
    const std::string text = "just some notes\n";
    const std::string hugePpm = "P6 100000 100000 255\n";
    const std::vector<BadCase> cases = {
        {"truncated PNG", Bytes(png.begin(), png.begin() + static_cast<long>(png.size() / 2)), "bad PNG"},
        {"huge PNG", testing::PngHeaderOnly(100000, 100000), "too large (100000 x 100000"},
        {"garbled JPEG", garbledJpeg, "bad JPEG"},
        {"truncated JPEG", Bytes(garbledJpeg.begin(), garbledJpeg.begin() + 300), "bad JPEG"},
        {"GIF without frames", Bytes(noFrames.begin(), noFrames.end()), "GIF has no frames"},
        {"text", Bytes(text.begin(), text.end()), "not a picture in a known format"},
        {"huge PPM", Bytes(hugePpm.begin(), hugePpm.end()), "too large"},
        {"truncated BMP", Bmp(4, 4, 24, false, {1, 2, 3}), "truncated BMP pixel data"},
        {"compressed BMP",
         [] {
             Bytes b = Bmp(4, 4, 8, false, {});
             b[30] = 1;
             return b;
         }(),
         "compressed BMP"},
    };
    for (const BadCase& bad : cases) {
        const Decoded decoded = Decode(bad.bytes, DecodeOptions{});
        EXPECT_FALSE(decoded) << bad.name;
        EXPECT_THAT(base::RefusalOf(decoded), HasSubstr(bad.cause)) << bad.name;
    }
}

}  // namespace
}  // namespace picture_in

namespace picture_in {
namespace {

// 400 scans of a 8192 x 8192 picture, 180 KB, took 2.3 s to decode; refused
// at the limit's first scan beyond, it takes 0.25 s (most of it the 128 MB of
// coefficients libjpeg sets out before the first scan). The test checks where
// the decoder stops, not how long it took: a busy machine stretched the time
// of this one decode past any bound that would still catch a missing limit.
TEST(DecodeJpeg, MoreScansThanAnyWriterMakesAreRefused) {
    const testing::Bytes hostile = testing::ManyScanJpeg(8192, 8192, 400);
    const Decoded decoded = Decode(hostile, DecodeOptions{});
    EXPECT_FALSE(decoded);
    EXPECT_EQ(base::RefusalOf(decoded), "bad JPEG: more than 32 scans");
    EXPECT_TRUE(Decode(testing::ManyScanJpeg(64, 64, 32), DecodeOptions{}));
    EXPECT_EQ(base::RefusalOf(Decode(testing::ManyScanJpeg(64, 64, 33), DecodeOptions{})),
              "bad JPEG: more than 32 scans");
}

}  // namespace
}  // namespace picture_in
