// Every row over random bytes: each accepted size decodes (with the
// signature planted where the format has one) into the row's picture size;
// a byte short or long is no file of the row; headers that claim more than
// the file holds are refused, never read past.

#include <gtest/gtest.h>

#include <algorithm>

#include "modes/decoders.h"
#include "modes/formats_test_support.h"

namespace {

using namespace formats_test;

// Random bytes made a file of the row where its format has a signature.
void Plant(const modes::PictureMode& mode, Bytes& bytes) {
    if (mode.name.starts_with("mg")) {
        PutText(bytes, 0, "MGH\x01");
        bytes[4] = static_cast<std::uint8_t>(mode.name[2] - '0');
    } else if (mode.name == "hlr") {
        PutText(bytes, 0, std::string("\x76\xAF\xD3\xFE\x21\x00\x58", 7));
    } else if (mode.name == "zxs") {
        PutText(bytes, 0, "ZX_SSCII");
        for (int i = 0; i < 768; ++i)
            bytes[908 + i] %= 112;
    }
}

TEST(FormatSizes, RandomBytesOfEveryFixedSizeDecodeAndNeighbouringSizesAreRefused) {
    std::uint32_t seed = 1;
    for (const modes::PictureMode& mode : modes::PictureModes())
        for (std::uint64_t size : mode.sizes) {
            for (int trial = 0; trial < 3; ++trial) {
                Bytes bytes = RandomBytes(size, seed++);
                Plant(mode, bytes);
                for (auto phase : {screen::FlashPhase::First, screen::FlashPhase::Second}) {
                    auto decoded = mode.decode(bytes, phase);
                    ASSERT_TRUE(decoded.ok()) << mode.name << " " << size << ": " << decoded.error().Message();
                    EXPECT_EQ(decoded->width, mode.width) << mode.name;
                    EXPECT_EQ(decoded->height, mode.height) << mode.name;
                    EXPECT_EQ(decoded->pixels.size(), std::size_t(decoded->frames) * mode.width * mode.height);
                }
            }
            for (std::uint64_t near : {size - 1, size + 1}) {
                if (std::ranges::count(mode.sizes, near) == 1)
                    continue;  // a screen and a screen with one byte more are both classic
                for (std::string_view extension : mode.extensions) {
                    const modes::PictureMode* other = modes::ModeFor(extension, near);
                    EXPECT_TRUE(other == nullptr || (other != &mode && std::ranges::count(other->sizes, near) == 1))
                        << mode.name << " takes ." << extension << " of " << near;
                }
                if (mode.name == "classic" || mode.name == "bitmap")
                    continue;  // their decoders read a longer file's first bytes, as the classic screen's did
                Bytes bytes = RandomBytes(near, seed++);
                Plant(mode, bytes);
                EXPECT_FALSE(mode.decode(bytes, screen::FlashPhase::First).ok()) << mode.name << " " << near;
            }
        }
}

// A header of each variable format over random cells, at random sizes.
TEST(FormatSizes, VariableFormatsTakeWhatTheirHeadersSayAndNoMore) {
    for (std::uint32_t seed = 1; seed <= 40; ++seed) {
        const Bytes noise = RandomBytes(4, seed);
        const int columns = noise[0] % 40 + 1, rows = noise[1] % 30 + 1, frames = noise[2] % 2 + 1;
        Bytes chr = RandomBytes(7 + 9 * frames * columns * rows, seed);
        PutText(chr, 0, "chr$");
        chr[4] = static_cast<std::uint8_t>(columns);
        chr[5] = static_cast<std::uint8_t>(rows);
        chr[6] = static_cast<std::uint8_t>(9 * frames);
        const auto picture = DecodeAs("ch$", chr);
        EXPECT_EQ(picture.width, 8 * columns);
        EXPECT_EQ(picture.frames, frames);
        chr[4] = static_cast<std::uint8_t>(columns + 1);
        EXPECT_NE(RefusalAs("ch$", chr), "");

        const int width = noise[0] * 3 % 300 + 1, height = noise[3] * 5 % 300 + 1;
        Bytes sev = RandomBytes(14 + 9 * ((width + 7) / 8) * ((height + 7) / 8) + noise[2] % 3, seed);
        PutText(sev, 0, std::string("Sev\0", 4));
        sev[6] = 1;
        sev[7] = 0;
        sev[10] = static_cast<std::uint8_t>(width & 0xFF);
        sev[11] = static_cast<std::uint8_t>(width >> 8);
        sev[12] = static_cast<std::uint8_t>(height & 0xFF);
        sev[13] = static_cast<std::uint8_t>(height >> 8);
        EXPECT_EQ(DecodeAs("sev", sev).width, width);
        sev[13] = 0x40;  // 16 K lines: past the largest picture drawn, and past the file
        EXPECT_NE(RefusalAs("sev", sev), "");

        for (std::uint8_t flags : {0x00, 0x40, 0x80, 0xC0}) {
            Bytes bsp = RandomBytes(flags == 0x80 ? 13894 : 14000 + seed * 97, seed);
            bsp[3] = flags;
            const auto drawn = DecodeAs("bsp", bsp);
            EXPECT_EQ(drawn.width, flags & 0x40 ? 384 : 256);
            EXPECT_EQ(drawn.frames, flags & 0x80 ? 2 : 1);
        }
    }
}

// Bytes of random content at sizes the size tests let through: decoded or
// refused as not of the format, whatever the header claims.
TEST(FormatSizes, RandomHeadersAreRefusedOrDrawnNeverReadPast) {
    for (const modes::PictureMode& mode : modes::PictureModes()) {
        if (mode.sizeTest == nullptr)
            continue;
        for (std::uint64_t size : {16, 23, 600, 1000, 7000, 14000, 49165, 50000})
            if (mode.Accepts(size)) {
                const auto decoded =
                    mode.decode(RandomBytes(size, static_cast<std::uint32_t>(size)), screen::FlashPhase::First);
                if (!decoded) {
                    EXPECT_FALSE(decoded.error().detail.empty()) << mode.name;
                }
            }
    }
    Bytes chx(528);
    PutText(chx, 0, std::string("CHX\0\0", 5));
    chx[5] = 0xFF;  // a tile offset past the end
    chx[6] = 0xFF;
    EXPECT_NE(RefusalAs("chx", chx), "");
}

}  // namespace
