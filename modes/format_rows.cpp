#include "modes/format_rows.h"

#include <array>

#include "modes/decoders.h"
#include "modes/encoders.h"
#include "screen/screen_layout.h"

namespace modes {
namespace {

using screen::AttributeCount;
using screen::AttributeStart;
using screen::BitmapSize;
using screen::ScreenHeight;
using screen::ScreenSize;
using screen::ScreenWidth;
using Sizes = std::array<std::uint64_t, 1>;
using Names = std::array<std::string_view, 1>;

constexpr Names Scr{"scr"}, Img{"img"}, Mlt{"mlt"}, Mc{"mc"}, Ifl{"ifl"}, Atr{"atr"}, Hlr{"hlr"}, Hrg{"hrg"},
    Stl{"stl"}, Rgb{"rgb"}, Three{"3"}, Zxs{"zxs"}, ChrDollar{"ch$"}, Sev{"sev"}, Chx{"chx"}, Zxp{"zxp"}, Flf{"flf"},
    Bsp{"bsp"};
constexpr std::array<std::string_view, 2> BorderNames{"bsc", "bmc4"};
constexpr std::array<std::string_view, 4> MultiArtistNames{"mg1", "mg2", "mg4", "mg8"};
constexpr std::array<std::string_view, 3> FontNames{"ch4", "ch6", "ch8"};

constexpr std::uint64_t Palette = 64, HiRes = 2 * BitmapSize + 1;
constexpr Sizes UlaPlusSizes{ScreenSize + Palette}, HiColourSizes{2 * BitmapSize}, HiResSizes{HiRes},
    HiColourUlaPlusSizes{2 * BitmapSize + Palette}, ImgSizes{2 * ScreenSize}, IflSizes{BitmapSize + BitmapSize / 2},
    AtrSizes{AttributeCount}, BscSizes{11136}, Bmc4Sizes{11904}, Mg1Sizes{19456}, Mg2Sizes{18688}, Mg4Sizes{15616},
    Mg8Sizes{14080}, HlrSizes{1628}, HrgSizes{2 * HiRes}, StlSizes{3072}, TricolourSizes{3 * BitmapSize},
    ZxsSizes{2452}, Font96Sizes{768}, Font256Sizes{2048};
constexpr std::span<const std::uint64_t> FromHeader{};

constexpr Part Interleaved{0, BitmapSize, Order::Interleaved};
constexpr Part Attributes8x8{AttributeStart, AttributeCount, Order::Linear};
constexpr Part AttributesPerLine{AttributeStart, BitmapSize, Order::Linear};
constexpr Part MultiArtistBitmaps{256, 2 * BitmapSize, Order::Interleaved};
constexpr std::uint32_t MultiArtistAttributes = 256 + 2 * BitmapSize;  // after the header and both bitmaps
constexpr Border AroundScreen{64, 64, 64, 48};
constexpr PaletteKind UlaPlus = PaletteKind::UlaPlus, TimexHiRes = PaletteKind::TimexHiRes;

// In the order of PictureMode's fields: name, extensions, sizes, size test,
// largest size, width, height, row repeat, frames, frames reported, cell
// height, bitmap, attributes, palette, border, header bytes, decoder, encoder.
// Rows whose picture size and frames follow from the header give 0 for
// width and height and the most frames they may have.
// clang-format off
const std::array Rows{
    //          name                      extensions        sizes                 size test      largest                    width            height        repeat frames reported cells bitmap                                  attributes                                         palette                 border        header decoder                     encoder
    PictureMode{"ulaplus",                Scr,              UlaPlusSizes,         nullptr,       UlaPlusSizes[0],           ScreenWidth,     ScreenHeight, 1,     1,     1,       8,    Interleaved,                            Attributes8x8,                                     UlaPlus,                {},           0,     DecodeUlaPlusScreen,        EncodeUlaPlusScreen},
    PictureMode{"timex-hicolour",         Scr,              HiColourSizes,        nullptr,       HiColourSizes[0],          ScreenWidth,     ScreenHeight, 1,     1,     1,       1,    Interleaved,                            {AttributeStart, BitmapSize, Order::Interleaved},  PaletteKind::Spectrum,  {},           0,     DecodeTimexHiColour,        EncodeTimexHiColour},
    PictureMode{"timex-hires",            Scr,              HiResSizes,           nullptr,       HiRes,                     2 * ScreenWidth, ScreenHeight, 2,     1,     1,       0,    {0, 2 * BitmapSize, Order::Interleaved}, {},                                                TimexHiRes,             {},           0,     DecodeTimexHiRes,           nullptr},
    PictureMode{"timex-hicolour-ulaplus", Scr,              HiColourUlaPlusSizes, nullptr,       HiColourUlaPlusSizes[0],   ScreenWidth,     ScreenHeight, 1,     1,     1,       1,    Interleaved,                            {AttributeStart, BitmapSize, Order::Interleaved},  UlaPlus,                {},           0,     DecodeTimexHiColourUlaPlus, EncodeTimexHiColourUlaPlus},
    PictureMode{"gigascreen",             Img,              ImgSizes,             nullptr,       ImgSizes[0],               ScreenWidth,     ScreenHeight, 1,     2,     2,       8,    Interleaved,                            Attributes8x8,                                     PaletteKind::Spectrum,  {},           0,     DecodeGigascreen,           EncodeGigascreen},
    PictureMode{"mlt",                    Mlt,              HiColourSizes,        nullptr,       HiColourSizes[0],          ScreenWidth,     ScreenHeight, 1,     1,     1,       1,    Interleaved,                            AttributesPerLine,                                 PaletteKind::Spectrum,  {},           0,     DecodeMlt,                  EncodeMlt},
    PictureMode{"mc",                     Mc,               HiColourSizes,        nullptr,       HiColourSizes[0],          ScreenWidth,     ScreenHeight, 1,     1,     1,       1,    {0, BitmapSize, Order::Linear},         AttributesPerLine,                                 PaletteKind::Spectrum,  {},           0,     DecodeMc,                   EncodeMc},
    PictureMode{"ifl",                    Ifl,              IflSizes,             nullptr,       IflSizes[0],               ScreenWidth,     ScreenHeight, 1,     1,     1,       2,    Interleaved,                            {AttributeStart, BitmapSize / 2, Order::Linear},   PaletteKind::Spectrum,  {},           0,     DecodeIfl,                  EncodeIfl},
    PictureMode{"atr",                    Atr,              AtrSizes,             nullptr,       AtrSizes[0],               ScreenWidth,     ScreenHeight, 1,     1,     1,       8,    {},                                     {0, AttributeCount, Order::Linear},                PaletteKind::Spectrum,  {},           0,     DecodeAtr,                  nullptr},
    PictureMode{"bsc",                    BorderNames,      BscSizes,             nullptr,       BscSizes[0],               384,             304,          1,     1,     1,       8,    Interleaved,                            Attributes8x8,                                     PaletteKind::Spectrum,  AroundScreen, 0,     DecodeBorderScreen,         EncodeBorderScreen},
    PictureMode{"bmc4",                   BorderNames,      Bmc4Sizes,            nullptr,       Bmc4Sizes[0],              384,             304,          1,     1,     1,       4,    Interleaved,                            {AttributeStart, 2 * AttributeCount, Order::None}, PaletteKind::Spectrum,  AroundScreen, 0,     DecodeBorderScreen,         nullptr},
    PictureMode{"mg1",                    MultiArtistNames, Mg1Sizes,             nullptr,       Mg1Sizes[0],               ScreenWidth,     ScreenHeight, 1,     2,     2,       1,    MultiArtistBitmaps,                     {MultiArtistAttributes, 2 * (3072 + 384), Order::None}, PaletteKind::Spectrum,  {},           256,   DecodeMultiArtist,          nullptr},
    PictureMode{"mg2",                    MultiArtistNames, Mg2Sizes,             nullptr,       Mg2Sizes[0],               ScreenWidth,     ScreenHeight, 1,     2,     2,       2,    MultiArtistBitmaps,                     {MultiArtistAttributes, BitmapSize, Order::Linear},   PaletteKind::Spectrum,  {},           256,   DecodeMultiArtist,          nullptr},
    PictureMode{"mg4",                    MultiArtistNames, Mg4Sizes,             nullptr,       Mg4Sizes[0],               ScreenWidth,     ScreenHeight, 1,     2,     2,       4,    MultiArtistBitmaps,                     {MultiArtistAttributes, BitmapSize / 2, Order::Linear},                     PaletteKind::Spectrum,  {},           256,   DecodeMultiArtist,          nullptr},
    PictureMode{"mg8",                    MultiArtistNames, Mg8Sizes,             nullptr,       Mg8Sizes[0],               ScreenWidth,     ScreenHeight, 1,     2,     2,       8,    MultiArtistBitmaps,                     {MultiArtistAttributes, BitmapSize / 4, Order::Linear},                     PaletteKind::Spectrum,  {},           256,   DecodeMultiArtist,          nullptr},
    PictureMode{"hlr",                    Hlr,              HlrSizes,             nullptr,       HlrSizes[0],               ScreenWidth,     ScreenHeight, 1,     2,     2,       8,    {84, 8, Order::None},                   {92, 2 * AttributeCount, Order::Linear},           PaletteKind::Spectrum,  {},           84,    DecodeHlr,                  nullptr},
    PictureMode{"hrg",                    Hrg,              HrgSizes,             nullptr,       HrgSizes[0],               2 * ScreenWidth, ScreenHeight, 2,     2,     2,       0,    {0, 2 * HiRes, Order::Interleaved},     {},                                                TimexHiRes,             {},           0,     DecodeTimexHiResPair,       nullptr},
    PictureMode{"stl",                    Stl,              StlSizes,             nullptr,       StlSizes[0],               ScreenWidth,     ScreenHeight, 1,     2,     2,       4,    {},                                     {0, 3072, Order::None},                            PaletteKind::Spectrum,  {},           0,     DecodeStellar,              nullptr},
    PictureMode{"rgb",                    Rgb,              TricolourSizes,       nullptr,       TricolourSizes[0],         ScreenWidth,     ScreenHeight, 1,     1,     3,       0,    {0, 3 * BitmapSize, Order::Interleaved}, {},                                               PaletteKind::Spectrum,  {},           0,     DecodeRgb,                  nullptr},
    PictureMode{"tricolour-3",            Three,            TricolourSizes,       nullptr,       TricolourSizes[0],         ScreenWidth,     ScreenHeight, 1,     1,     3,       0,    {0, 3 * BitmapSize, Order::Interleaved}, {},                                               PaletteKind::Spectrum,  {},           0,     DecodeTricolour3,           nullptr},
    PictureMode{"zxs",                    Zxs,              ZxsSizes,             nullptr,       ZxsSizes[0],               ScreenWidth,     ScreenHeight, 1,     1,     1,       8,    {12, 896, Order::None},                 {1676, AttributeCount, Order::None},               PaletteKind::Spectrum,  {},           12,    DecodeZxs,                  nullptr},
    PictureMode{"chr$",                   ChrDollar,        FromHeader,           ChrDollarSize, ChrDollarMaxBytes,         0,               0,            1,     2,     2,       8,    {},                                     {},                                                PaletteKind::Spectrum,  {},           7,     DecodeChrDollar,            nullptr},
    PictureMode{"sev",                    Sev,              FromHeader,           SevSize,       SevMaxBytes,               0,               0,            1,     1,     1,       8,    {},                                     {},                                                PaletteKind::Spectrum,  {},           14,    DecodeSev,                  nullptr},
    PictureMode{"chx",                    Chx,              FromHeader,           ChxSize,       ChxMaxBytes,               0,               0,            1,     1,     1,       8,    {},                                     {},                                                PaletteKind::Spectrum,  {},           517,   DecodeChx,                  nullptr},
    PictureMode{"zxp",                    Zxp,              FromHeader,           ZxpSize,       ZxpMaxBytes,               0,               0,            1,     1,     1,       8,    {},                                     {},                                                PaletteKind::Spectrum,  {},           0,     DecodeZxp,                  nullptr},
    PictureMode{"font",                   FontNames,        Font96Sizes,          nullptr,       Font96Sizes[0],            ScreenWidth,     24,           1,     1,     1,       0,    {0, 768, Order::Linear},                {},                                                PaletteKind::Spectrum,  {},           0,     DecodeFont,                 nullptr},
    PictureMode{"font256",                FontNames,        Font256Sizes,         nullptr,       Font256Sizes[0],           ScreenWidth,     64,           1,     1,     1,       0,    {0, 2048, Order::Linear},               {},                                                PaletteKind::Spectrum,  {},           0,     DecodeFont,                 nullptr},
    PictureMode{"flf",                    Flf,              FromHeader,           FluffSize,     FluffMaxBytes,             ScreenWidth,     ScreenHeight, 1,     1,     1,       0,    {13, 256 * 192, Order::Linear},         {},                                                PaletteKind::Spectrum,  {},           13,    DecodeFluff,                nullptr},
    PictureMode{"bsp",                    Bsp,              FromHeader,           BspSize,       BspMaxBytes,               0,               0,            1,     2,     2,       8,    {},                                     {},                                                PaletteKind::Spectrum,  {},           70,    DecodeBsp,                  nullptr},
};
// clang-format on

}  // namespace

std::span<const PictureMode> FormatRows() { return Rows; }

}  // namespace modes
