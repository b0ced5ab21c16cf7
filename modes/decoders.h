#pragma once
// The readers of every picture format beyond the classic screen, each the
// decode function of its mode's row: bytes of an accepted size in, the picture
// as colour codes per frame out. Bytes of a fixed-size format's size always
// decode, except where the format has a rule of its own (a signature, a code
// range). A variable-size format has a size test for its row (the sizes a
// file may have at all) and an Accepts function over the bytes (header and
// size agree); its decoder takes exactly the bytes Accepts takes and refuses
// others as not of the format. No decoder reads outside the bytes it is
// given, whatever a header claims.

#include <cstddef>
#include <cstdint>
#include <span>

#include "base/result.h"
#include "modes/picture_modes.h"
#include "screen/decoded_picture.h"

namespace modes {

using Decoded = base::Result<screen::DecodedPicture>;

// The largest side of a picture whose header sets its size (.sev, .zxp, .chx):
// larger ones are refused as too large rather than drawn.
constexpr int MaxPictureSide = 4096;

// .scr variants: ULAplus (6976), Timex hi-colour (12288), Timex hi-res (12289,
// 512x192 with rows twice), hi-colour with ULAplus (12352).
Decoded DecodeUlaPlusScreen(Bytes bytes, screen::FlashPhase phase);
Decoded DecodeTimexHiColour(Bytes bytes, screen::FlashPhase phase);
Decoded DecodeTimexHiRes(Bytes bytes, screen::FlashPhase phase);
Decoded DecodeTimexHiColourUlaPlus(Bytes bytes, screen::FlashPhase phase);

// Gigascreen: two frames each.
Decoded DecodeGigascreen(Bytes bytes, screen::FlashPhase phase);      // .img, 13824
Decoded DecodeMultiArtist(Bytes bytes, screen::FlashPhase phase);     // .mg1 .mg2 .mg4 .mg8, by the header's mode
Decoded DecodeHlr(Bytes bytes, screen::FlashPhase phase);             // .hlr, 1628
Decoded DecodeStellar(Bytes bytes, screen::FlashPhase phase);         // .stl, 3072
Decoded DecodeTimexHiResPair(Bytes bytes, screen::FlashPhase phase);  // .hrg, 24578

// Multicolour: 8x1 and 8x2 attributes.
Decoded DecodeMlt(Bytes bytes, screen::FlashPhase phase);  // 12288, interleaved bitmap
Decoded DecodeMc(Bytes bytes, screen::FlashPhase phase);   // 12288, linear bitmap
Decoded DecodeIfl(Bytes bytes, screen::FlashPhase phase);  // 9216

// Border screens, 384x304: .bsc (11136) and .bmc4 (11904), the size deciding.
Decoded DecodeBorderScreen(Bytes bytes, screen::FlashPhase phase);
// .bsp: one or two screens, with or without run-length borders.
bool BspSize(std::uint64_t size);
bool BspAccepts(Bytes bytes);
// The furthest a second border may reach: its 16-bit offset and a byte per
// border pixel, the longest coding of a border.
constexpr std::size_t BspMaxBytes = 65535 + 384 * 304 - 256 * 192;
Decoded DecodeBsp(Bytes bytes, screen::FlashPhase phase);

// Tricolour: three bitmaps, one per channel (.rgb red green blue, .3 blue red green).
Decoded DecodeRgb(Bytes bytes, screen::FlashPhase phase);
Decoded DecodeTricolour3(Bytes bytes, screen::FlashPhase phase);

// Attributes alone, drawn on a checkerboard: .atr, 768.
Decoded DecodeAtr(Bytes bytes, screen::FlashPhase phase);
// A font and a character screen: .zxs, 2452; undecodable without its
// signature or with a code past the font's 112 glyphs.
Decoded DecodeZxs(Bytes bytes, screen::FlashPhase phase);
// Fonts of 96 or 256 glyphs (.ch4 .ch6 .ch8, 768 or 2048 bytes).
Decoded DecodeFont(Bytes bytes, screen::FlashPhase phase);

// Cells with a header giving their count.
bool ChrDollarSize(std::uint64_t size);
bool ChrDollarAccepts(Bytes bytes);
constexpr std::size_t ChrDollarMaxBytes = 7 + 18 * 255 * 255;
Decoded DecodeChrDollar(Bytes bytes, screen::FlashPhase phase);  // .ch$
bool SevSize(std::uint64_t size);
bool SevAccepts(Bytes bytes);
constexpr std::size_t SevMaxBytes = 14 + 9 * (MaxPictureSide / 8) * (MaxPictureSide / 8);
Decoded DecodeSev(Bytes bytes, screen::FlashPhase phase);  // .sev; bytes past the first picture ignored
bool ChxSize(std::uint64_t size);
bool ChxAccepts(Bytes bytes);
constexpr std::size_t ChxMaxBytes = 65535 + 3 + 9 * (MaxPictureSide / 128) * (MaxPictureSide / 128);
Decoded DecodeChx(Bytes bytes, screen::FlashPhase phase);
// ZX-Paintbrush text pictures (.zxp).
bool ZxpSize(std::uint64_t size);
bool ZxpAccepts(Bytes bytes);
constexpr std::size_t ZxpMaxBytes =
    64 + (MaxPictureSide + 2) * MaxPictureSide + (MaxPictureSide / 8 * 3 + 2) * MaxPictureSide + 3 * 64 + 8;
Decoded DecodeZxp(Bytes bytes, screen::FlashPhase phase);
// FLUFF64 pictures of type 28, one byte per pixel (.flf); bytes past the
// picture, up to 64 KiB in all, ignored.
bool FluffSize(std::uint64_t size);
bool FluffAccepts(Bytes bytes);
constexpr std::size_t FluffPictureBytes = 13 + 256 * 192;
constexpr std::size_t FluffMaxBytes = 65536;
Decoded DecodeFluff(Bytes bytes, screen::FlashPhase phase);

}  // namespace modes
