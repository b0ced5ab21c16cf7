// export of pictures in modes beyond the classic screen: each part is the
// bytes the format puts there, a part the mode lacks is refused before
// anything is written, and what is written comes back through a ZX0 decoder
// and an assembler of their own.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "export/rcs_test_oracle.h"
#include "export/zx0_test_decoder.h"
#include "scrtool/scrtool_test_support.h"

namespace scrtool::testing {
namespace {

constexpr std::size_t Bitmap = 6144, Screen = 6912;

Bytes Slice(const Bytes& bytes, std::size_t from, std::size_t size) {
    return Bytes(bytes.begin() + from, bytes.begin() + from + size);
}

Bytes Joined(Bytes first, const Bytes& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

class ExportModes : public ::testing::Test {
protected:
    // The bytes `export bin FILE OPTIONS...` writes; the test fails when it refuses.
    Bytes Exported(const std::string& file, const std::vector<std::string>& options) {
        std::vector<std::string> args{"export", "bin", folder / file, "-o", folder / "out.bin"};
        args.insert(args.end(), options.begin(), options.end());
        const RunResult run = RunTool(args);
        EXPECT_EQ(run.status, 0) << file << ": " << run.err;
        return ReadBytes(folder / "out.bin");
    }
    TempFolder folder;
    const Bytes a = ToBytes(RealScreens()[0].bytes), b = ToBytes(RealScreens()[1].bytes);
};

TEST_F(ExportModes, EachPartIsTheBytesTheFormatPutsThere) {
    WriteBytes(folder / "two.img", Joined(a, b));
    EXPECT_EQ(Exported("two.img", {}), Joined(a, b));
    EXPECT_EQ(Exported("two.img", {"--part", "frame2-attributes"}), Slice(b, Bitmap, Screen - Bitmap));
    EXPECT_EQ(Exported("two.img", {"--part", "frame1"}), a);
    EXPECT_EQ(Exported("two.img", {"--part", "bitmap"}), Joined(Slice(a, 0, Bitmap), Slice(b, 0, Bitmap)));
    const Bytes lines = Exported("two.img", {"--part", "frame2-bitmap", "--order", "linear"});
    ASSERT_EQ(lines.size(), Bitmap);
    for (int y = 0; y < 192; ++y)
        for (int x = 3; x < 256; x += 41)
            ASSERT_EQ(((lines[y * 32 + x / 8] >> (7 - x % 8)) & 1) != 0, PixelOf(b.data(), x, y)) << x << "," << y;

    Bytes palette(64);
    for (std::size_t i = 0; i < palette.size(); ++i)
        palette[i] = static_cast<std::uint8_t>(255 - 3 * i);
    WriteBytes(folder / "plus.scr", Joined(a, palette));
    EXPECT_EQ(Exported("plus.scr", {"--part", "palette"}), palette);
    EXPECT_EQ(Exported("plus.scr", {"--part", "attributes"}), Slice(a, Bitmap, Screen - Bitmap));

    Bytes border(4224);
    for (std::size_t i = 0; i < border.size(); ++i)
        border[i] = static_cast<std::uint8_t>((i * 37) % 64);
    WriteBytes(folder / "framed.bsc", Joined(a, border));
    EXPECT_EQ(Exported("framed.bsc", {"--part", "border"}), border);
    EXPECT_EQ(Exported("framed.bsc", {"--part", "bitmap"}), Slice(a, 0, Bitmap));
}

// 8x1 attributes are a plane of pixel lines: .mlt stores them top to bottom,
// Timex hi-colour as the bitmap is, and --order turns either into the other.
TEST_F(ExportModes, EightByOneAttributesComeInBothOrders) {
    Bytes linear(Bitmap), interleaved(Bitmap);
    for (int y = 0; y < 192; ++y)
        for (int column = 0; column < 32; ++column) {
            const auto attribute = static_cast<std::uint8_t>(y * 5 + column * 3);
            linear[y * 32 + column] = attribute;
            interleaved[testsupport::PixelOffset(column * 8, y)] = attribute;
        }
    const Bytes bitmap = Slice(a, 0, Bitmap);
    WriteBytes(folder / "lines.mlt", Joined(bitmap, linear));
    WriteBytes(folder / "timex.scr", Joined(bitmap, interleaved));
    EXPECT_EQ(Exported("lines.mlt", {"--part", "attributes"}), linear);
    EXPECT_EQ(Exported("lines.mlt", {"--part", "attributes", "--order", "screen"}), interleaved);
    EXPECT_EQ(Exported("timex.scr", {"--part", "attributes"}), interleaved);
    EXPECT_EQ(Exported("timex.scr", {"--part", "attributes", "--order", "linear"}), linear);
    // The whole .mlt with its bitmap in lines too is the .mc of the picture.
    Bytes bitmapLines(Bitmap);
    for (int y = 0; y < 192; ++y)
        for (int x = 0; x < 256; ++x)
            if (PixelOf(a.data(), x, y))
                bitmapLines[y * 32 + x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
    EXPECT_EQ(Exported("lines.mlt", {"--order", "linear"}), Joined(bitmapLines, linear));
}

TEST_F(ExportModes, APartTheModeLacksIsRefusedAndNothingIsWritten) {
    WriteBytes(folder / "two.img", Joined(a, b));
    WriteBytes(folder / "plain.scr", a);
    WriteBytes(folder / "cells.atr", Slice(a, Bitmap, Screen - Bitmap));
    WriteBytes(folder / "plus.scr", Joined(a, Bytes(64, 7)));
    struct Case {
        std::vector<std::string> args;
        std::string said;
    };
    const std::string out = folder / "out.bin", dir = folder / "out";
    for (const Case& c : {
             Case{{"bin", folder / "two.img", "--part", "palette", "-o", out},
                  "two.img: mode gigascreen has no --part palette; its parts are all, bitmap, attributes, frame1, "
                  "frame2, frame1-bitmap, frame1-attributes, frame2-bitmap, frame2-attributes; nothing was written\n"},
             // The classic screen first would be written, were the run not refused whole.
             Case{{"asm", folder / "plain.scr", folder / "cells.atr", "--part", "bitmap", "--out-dir", dir},
                  "cells.atr: mode atr has no --part bitmap; its parts are all, attributes; nothing was written\n"},
             Case{{"bin", folder / "plain.scr", "--part", "frame1", "-o", out},
                  "plain.scr: mode classic has no --part frame1; its parts are all, bitmap, attributes"},
             Case{{"c", folder / "plus.scr", "--part", "palette", "--order", "linear", "-o", out},
                  "plus.scr: --part palette of mode ulaplus holds no pixel lines for --order to arrange"},
             Case{{"zx0", folder / "cells.atr", "--rcs", "-o", out},
                  "cells.atr: --part all of mode atr holds no bitmap for --rcs to arrange"},
         }) {
        std::vector<std::string> args{"export"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const RunResult run = RunTool(args);
        EXPECT_EQ(run.status, 2) << c.said;
        EXPECT_NE(run.err.find(c.said), std::string::npos) << run.err;
        EXPECT_FALSE(std::filesystem::exists(out)) << c.said;
        EXPECT_FALSE(std::filesystem::exists(dir)) << c.said;
    }
    // A tape loads a classic screen at 16384: other modes are no screen for it.
    const RunResult tap = RunTool({"export", "tap", folder / "two.img", "-o", folder / "two.tap"});
    EXPECT_EQ(tap.status, 1);
    EXPECT_NE(tap.err.find("two.img: gigascreen (13824 bytes): export tap works on the classic screen (6912 bytes)"),
              std::string::npos)
        << tap.err;
    EXPECT_FALSE(std::filesystem::exists(folder / "two.tap"));
}

TEST_F(ExportModes, WhatIsWrittenComesBackThroughADecoderAndAnAssembler) {
    const Bytes img = Joined(a, b);
    WriteBytes(folder / "two.img", img);
    for (const bool rcs : {false, true}) {
        std::vector<std::string> args{"export", "zx0", folder / "two.img", "-o", folder / "two.zx0"};
        if (rcs)
            args.push_back("--rcs");
        const RunResult run = RunTool(args);
        ASSERT_EQ(run.status, 0) << run.err;
        auto decoded =
            zx0::testing::Decode(ReadBytes(folder / "two.zx0"), zx0::Format::Current, zx0::Direction::Forwards);
        ASSERT_TRUE(decoded.has_value()) << rcs;
        if (rcs)
            decoded = exporter::testing::FromRcs(exporter::testing::FromRcs(*decoded), Screen);
        EXPECT_EQ(*decoded, img) << rcs;
    }
    // A linear bitmap goes to RCS order by way of the screen's.
    Bytes lines(Bitmap);
    for (int y = 0; y < 192; ++y)
        for (int x = 0; x < 256; ++x)
            if (PixelOf(b.data(), x, y))
                lines[y * 32 + x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
    WriteBytes(folder / "lines.mc", Joined(lines, Bytes(Bitmap, 0x38)));
    ASSERT_EQ(
        RunTool({"export", "zx0", folder / "lines.mc", "--part", "bitmap", "--rcs", "-o", folder / "mc.zx0"}).status,
        0);
    const auto bitmap =
        zx0::testing::Decode(ReadBytes(folder / "mc.zx0"), zx0::Format::Current, zx0::Direction::Forwards);
    ASSERT_TRUE(bitmap.has_value());
    EXPECT_EQ(exporter::testing::FromRcs(*bitmap), Slice(b, 0, Bitmap));

    const RunResult source = RunTool({"export", "asm", folder / "two.img", "--part", "frame2", "-o", folder / "f.asm"});
    ASSERT_EQ(source.status, 0) << source.err;
    const Bytes text = ReadBytes(folder / "f.asm");
    EXPECT_EQ(std::string(text.begin(), text.end()).substr(0, 79),
              "; two.img: frame2 of mode gigascreen, screen order, 6912 bytes; scrtool export\n");
    const std::string assemble = "pasmo " + (folder / "f.asm") + " " + (folder / "f.bin") + " > /dev/null 2>&1";
    ASSERT_EQ(std::system(assemble.c_str()), 0);
    EXPECT_EQ(ReadBytes(folder / "f.bin"), b);
}

}  // namespace
}  // namespace scrtool::testing
