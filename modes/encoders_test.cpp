// The modes a picture can be written in exactly: every writer gives back the
// picture it was given, conversions between cell modes keep every byte, and a
// picture that does not fit is refused naming its cell.

#include <algorithm>

#include <gtest/gtest.h>

#include "modes/cell_formats.h"
#include "modes/classic.h"
#include "modes/convert.h"
#include "modes/decoders.h"
#include "modes/encoders.h"
#include "modes/formats_test_support.h"
#include "testsupport/real_screens.h"

namespace {

using namespace formats_test;
using screen::FlashPhase;

Bytes Screen(int index) {
    const auto& real = testsupport::RealScreens()[index];
    return {real.bytes.begin(), real.bytes.end()};
}

screen::DecodedPicture ClassicPicture(int index) {
    return modes::DecodeClassic(Screen(index), FlashPhase::First).value();
}

// The picture each writing row is given: a real screen's, as the row shows it.
screen::DecodedPicture PictureFor(const modes::PictureMode& mode, int index) {
    if (mode.palette == modes::PaletteKind::UlaPlus) {
        Bytes bytes = Screen(index);
        for (int i = 0; i < 64; ++i)
            bytes.push_back(static_cast<std::uint8_t>(i * 41 + 3));
        if (mode.sizes[0] != bytes.size()) {  // hi-colour: the same cells line by line
            Bytes timex(mode.sizes[0]);
            std::copy_n(bytes.begin(), BitmapBytes, timex.begin());
            for (int y = 0; y < 192; ++y)
                for (int k = 0; k < 32; ++k)
                    timex[BitmapBytes + InterleavedLine(y) + k] = bytes[BitmapBytes + (y / 8) * 32 + k];
            std::copy_n(bytes.begin() + ScreenBytes, 64, timex.begin() + 2 * BitmapBytes);
            bytes = timex;
        }
        return mode.decode(bytes, FlashPhase::First).value();
    }
    screen::DecodedPicture picture = ClassicPicture(index);
    if (mode.border.left == 0)
        return picture;
    screen::DecodedPicture bordered;
    bordered.width = mode.width;
    bordered.height = mode.height;
    bordered.pixels.assign(static_cast<std::size_t>(mode.width) * mode.height, Plain(0));
    for (int y = 0; y < mode.height; ++y)
        for (int x = 0; x < mode.width; ++x) {
            const bool inScreen = x >= 64 && x < 320 && y >= 64 && y < 256;
            bordered.at(0, x, y) = inScreen ? picture.at(0, x - 64, y - 64) : Plain((x / 8 + y / 3) % 8);
        }
    return bordered;
}

TEST(Encoders, EveryWritingRowGivesBackThePictureItWasGiven) {
    int rows = 0;
    for (const modes::PictureMode& mode : modes::PictureModes()) {
        if (mode.encode == nullptr || mode.name == "classic" || mode.name == "bitmap")
            continue;
        ++rows;
        for (int index : {0, 3, 7}) {
            const screen::DecodedPicture picture = PictureFor(mode, index);
            auto bytes = mode.encode(picture);
            ASSERT_TRUE(bytes.ok()) << mode.name << ": " << bytes.error().Message();
            ASSERT_TRUE(mode.Accepts(bytes->size())) << mode.name;
            auto again = mode.decode(*bytes, FlashPhase::First);
            ASSERT_TRUE(again.ok()) << mode.name;
            for (int frame = 0; frame < again->frames; ++frame)
                for (int y = 0; y < picture.height; ++y)
                    for (int x = 0; x < picture.width; ++x)
                        ASSERT_EQ(again->at(frame, x, y), picture.at(0, x, y))
                            << mode.name << " " << index << " frame " << frame << " " << x << "," << y;
        }
    }
    EXPECT_EQ(rows, 8);
}

TEST(Encoders, APictureThatDoesNotFitIsRefusedNamingItsCell) {
    screen::DecodedPicture picture = ClassicPicture(1);
    for (int y = 16; y < 24; ++y)
        for (int x = 8; x < 16; ++x)
            picture.at(0, x, y) = y == 17 ? Plain(x % 3 + 1) : Plain(1);  // three colours on line 17 of cell (1, 2)
    const std::pair<modes::Encoded (*)(const screen::DecodedPicture&), int> writers[] = {
        {modes::EncodeMlt, 17}, {modes::EncodeMc, 17},         {modes::EncodeTimexHiColour, 17},
        {modes::EncodeIfl, 16}, {modes::EncodeGigascreen, 16},
    };
    for (auto [encode, line] : writers) {
        auto refused = encode(picture);
        ASSERT_FALSE(refused.ok());
        EXPECT_EQ(refused.error().detail,
                  "the cell at pixel (8, " + std::to_string(line) + ") of frame 1 has 3 colours");
    }
    EXPECT_FALSE(modes::EncodeUlaPlusScreen(ClassicPicture(1)).ok());  // no palette for the 15 colours
}

// .mc to .mlt and back, and a screen to .img and back, keep every byte; a
// gigascreen of two different frames has no place in one screen.
TEST(TranscodeCells, KeepsEveryByteBetweenCellModes) {
    for (std::uint32_t seed = 1; seed <= 4; ++seed) {
        const Bytes mc = RandomBytes(12288, seed);
        auto mlt = modes::TranscodeCells(modes::McCells, mc, modes::MltCells);
        ASSERT_TRUE(mlt.ok());
        EXPECT_EQ(DecodeAs("mlt", *mlt).pixels, DecodeAs("mc", mc).pixels);
        EXPECT_EQ(modes::TranscodeCells(modes::MltCells, *mlt, modes::McCells).value(), mc);
    }
    for (const auto& real : testsupport::RealScreens()) {
        const Bytes screen(real.bytes.begin(), real.bytes.end());
        auto img = modes::TranscodeCells(modes::ClassicCells, screen, modes::GigascreenCells);
        ASSERT_TRUE(img.ok());
        EXPECT_EQ(Bytes(img->begin(), img->begin() + ScreenBytes), screen);
        EXPECT_EQ(Bytes(img->begin() + ScreenBytes, img->end()), screen);
        EXPECT_EQ(modes::TranscodeCells(modes::GigascreenCells, *img, modes::ClassicCells).value(), screen)
            << real.name;
        EXPECT_TRUE(modes::TranscodeCells(modes::ClassicCells, screen, modes::MltCells).ok());
    }
    Bytes two = Screen(0);
    const Bytes second = Screen(1);
    two.insert(two.end(), second.begin(), second.end());
    auto refused = modes::TranscodeCells(modes::GigascreenCells, two, modes::ClassicCells);
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error().detail, "its 2 frames differ, and the mode has 1");
    // Each row's cell format reads its files as the row's own decoder does.
    int cellRows = 0;
    for (const modes::PictureMode& mode : modes::PictureModes())
        if (const modes::CellFormat* format = modes::CellFormatOfRow(mode.name)) {
            ++cellRows;
            const Bytes bytes = RandomBytes(format->size, 3);
            const auto cells = modes::ReadCells(*format, bytes);
            EXPECT_EQ(modes::PaintCells(cells, {FlashPhase::Second, format->flashIgnored, nullptr}).pixels,
                      mode.decode(bytes, FlashPhase::Second).value().pixels)
                << mode.name;
        }
    EXPECT_EQ(cellRows, 8);
    auto lines = modes::TranscodeCells(modes::MltCells, RandomBytes(12288, 9), modes::ClassicCells);
    ASSERT_FALSE(lines.ok());
    EXPECT_EQ(lines.error().detail.rfind("the cell at pixel (", 0), 0u) << lines.error().detail;
}

}  // namespace

namespace {

// The conversions a user asks for by two names: .mc to .mlt and back and a
// screen to .img and back keep every byte; a mode without a writer, and a
// picture of another size than the target's, are refused.
TEST(ConvertExactly, ChoosesTheByteForBytePathAndElseThePicture) {
    const auto mode = [](const char* extension, std::uint64_t size) { return *modes::ModeFor(extension, size); };
    const Bytes mc = RandomBytes(12288, 21);
    const auto mlt = modes::ConvertExactly(mode("mc", 12288), mc, mode("mlt", 12288));
    ASSERT_TRUE(mlt.ok());
    EXPECT_EQ(modes::ConvertExactly(mode("mlt", 12288), mlt->bytes, mode("mc", 12288))->bytes, mc);
    const Bytes screen = Screen(4);
    const auto img = modes::ConvertExactly(mode("scr", 6912), screen, mode("img", 13824));
    ASSERT_TRUE(img.ok());
    EXPECT_EQ(modes::ConvertExactly(mode("img", 13824), img->bytes, mode("scr", 6912))->bytes, screen);
    EXPECT_FALSE(modes::ConvertExactly(mode("scr", 6912), screen, mode("atr", 768)).ok());
}

// A screen into the bordered modes keeps its bytes under a black border, and
// the bordered modes give a borderless one their screen area, saying that
// the border is lost; between the two bordered modes the border is kept.
TEST(ConvertExactly, AScreenAndItsBorderedFormsComeBackByteExact) {
    const auto mode = [](const char* extension, std::uint64_t size) { return *modes::ModeFor(extension, size); };
    for (std::size_t index = 0; index < testsupport::RealScreens().size(); ++index) {
        const Bytes screen = Screen(static_cast<int>(index));
        const auto bsc = modes::ConvertExactly(mode("scr", 6912), screen, mode("bsc", 11136));
        ASSERT_TRUE(bsc.ok()) << index << ": " << bsc.error().What();
        EXPECT_FALSE(bsc->borderDropped);
        ASSERT_EQ(bsc->bytes.size(), 11136u);
        EXPECT_TRUE(std::equal(screen.begin(), screen.end(), bsc->bytes.begin())) << index;
        EXPECT_TRUE(std::all_of(bsc->bytes.begin() + ScreenBytes, bsc->bytes.end(), [](auto b) { return b == 0; }));
        const auto back = modes::ConvertExactly(mode("bsc", 11136), bsc->bytes, mode("scr", 6912));
        ASSERT_TRUE(back.ok()) << index;
        EXPECT_EQ(back->bytes, screen) << index;
        EXPECT_TRUE(back->borderDropped);

        const auto bmc4 = modes::ConvertExactly(mode("scr", 6912), screen, mode("bmc4", 11904));
        ASSERT_TRUE(bmc4.ok()) << index << ": " << bmc4.error().What();
        ASSERT_EQ(bmc4->bytes.size(), 11904u);
        for (int half = 0; half < 2; ++half)  // both halves of each row take the screen's attribute
            EXPECT_TRUE(
                std::equal(screen.begin() + BitmapBytes, screen.end(), bmc4->bytes.begin() + BitmapBytes + half * 768))
                << index;
        const auto fromBmc4 = modes::ConvertExactly(mode("bmc4", 11904), bmc4->bytes, mode("img", 13824));
        ASSERT_TRUE(fromBmc4.ok()) << index;
        Bytes twice = screen;
        twice.insert(twice.end(), screen.begin(), screen.end());
        EXPECT_EQ(fromBmc4->bytes, twice) << index;
        EXPECT_TRUE(fromBmc4->borderDropped);
    }
    // A border of its own survives .bsc to .bmc4 and back.
    Bytes bordered = Screen(2);
    const Bytes border = RandomBytes(4224, 5);
    for (std::uint8_t b : border)
        bordered.push_back(b & 0x3F);
    const auto bmc4 = modes::ConvertExactly(mode("bsc", 11136), bordered, mode("bmc4", 11904));
    ASSERT_TRUE(bmc4.ok());
    EXPECT_FALSE(bmc4->borderDropped);
    EXPECT_EQ(modes::ConvertExactly(mode("bmc4", 11904), bmc4->bytes, mode("bsc", 11136))->bytes, bordered);
    // A .bsp's border is run-length coded: its screen area comes through the
    // picture, the same picture if not the same bytes.
    Bytes bsp(70, 0);
    bsp[3] = 0x40;  // a border, which runs out into black at once
    const Bytes screen = Screen(3);
    bsp.insert(bsp.end(), screen.begin(), screen.end());
    const auto fromBsp = modes::ConvertExactly(*modes::ModeFor("bsp", bsp.size()), bsp, mode("scr", 6912));
    ASSERT_TRUE(fromBsp.ok()) << fromBsp.error().What();
    EXPECT_TRUE(fromBsp->borderDropped);
    EXPECT_EQ(modes::DecodeClassic(fromBsp->bytes, FlashPhase::First)->pixels, ClassicPicture(3).pixels);
    // Halves of a row in attributes of their own: no classic screen holds
    // them, 8 x 2 cells do, each line's in place.
    Bytes halves = bmc4->bytes;
    halves[BitmapBytes + 768 + 40] ^= 0x3F;
    EXPECT_FALSE(modes::ConvertExactly(mode("bmc4", 11904), halves, mode("scr", 6912)).ok());
    const auto ifl = modes::ConvertExactly(mode("bmc4", 11904), halves, mode("ifl", 9216));
    ASSERT_TRUE(ifl.ok());
    const auto shown = modes::DecodeBorderScreen(halves, FlashPhase::First).value();
    const auto again = mode("ifl", 9216).decode(ifl->bytes, FlashPhase::First).value();
    for (int y = 0; y < 192; ++y)
        for (int x = 0; x < 256; ++x)
            ASSERT_EQ(again.at(0, x, y), shown.at(0, x + 64, y + 64)) << x << "," << y;
}

}  // namespace
