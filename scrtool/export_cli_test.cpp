// export and extract as a user runs them: every option reaches the file
// written, and tapes and snapshots give their screens back under their names.
#include <gtest/gtest.h>

#include <filesystem>

#include "export/screen_bytes.h"
#include "export/zx0_test_decoder.h"
#include "extract/extract_test_files.h"
#include "scrtool/scrtool_test_support.h"

namespace scrtool::testing {
namespace {

// The RCS order undone with arithmetic of its own: byte k of a third comes
// from column k / 64, cell row (k / 8) % 8 and pixel line k % 8.
Bytes FromRcs(const Bytes& rcs) {
    Bytes screen(rcs);
    for (std::size_t k = 0; k < 6144; ++k) {
        const std::size_t third = k / 2048, inThird = k % 2048;
        const std::size_t column = inThird / 64, row = (inThird / 8) % 8, line = inThird % 8;
        screen[third * 2048 + line * 256 + row * 32 + column] = rcs[k];
    }
    return screen;
}

TEST(Export, EveryZx0OptionReachesTheStream) {
    TempFolder folder;
    const RealScreen& real = RealScreens()[3];
    const Bytes screen = ToBytes(real.bytes);
    struct Case {
        std::vector<std::string> options;
        zx0::Format format;
        zx0::Direction direction;
        bool rcs;
    };
    for (const Case& c : {Case{{}, zx0::Format::Current, zx0::Direction::Forwards, false},
                          Case{{"--classic"}, zx0::Format::Classic, zx0::Direction::Forwards, false},
                          Case{{"--backwards"}, zx0::Format::Current, zx0::Direction::Backwards, false},
                          Case{{"--rcs", "--classic"}, zx0::Format::Classic, zx0::Direction::Forwards, true}}) {
        std::vector<std::string> args{"export", "zx0", real.path, "-o", folder / "out.zx0"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const RunResult run = RunTool(args);
        ASSERT_EQ(run.status, 0) << run.err;
        const auto decoded = zx0::testing::Decode(ReadBytes(folder / "out.zx0"), c.format, c.direction);
        ASSERT_TRUE(decoded.has_value()) << c.options.size();
        EXPECT_EQ(c.rcs ? FromRcs(*decoded) : *decoded, screen) << c.options.size();
    }
}

TEST(Export, PartsOrdersAndNamesReachTheFiles) {
    TempFolder folder;
    const RealScreen& real = RealScreens()[0];
    const RunResult bin =
        RunTool({"export", "bin", real.path, "--part", "bitmap", "--order", "linear", "-o", folder / "lines.bin"});
    ASSERT_EQ(bin.status, 0) << bin.err;
    const Bytes lines = ReadBytes(folder / "lines.bin");
    ASSERT_EQ(lines.size(), 6144u);
    for (int y = 0; y < 192; ++y)
        for (int x = 0; x < 256; x += 37)
            ASSERT_EQ(((lines[y * 32 + x / 8] >> (7 - x % 8)) & 1) != 0, PixelOf(real.bytes.data(), x, y));
    // --out-dir names each file after its input; asm labels it after it too.
    std::filesystem::create_directory(folder / "out");
    const RunResult many = RunTool({"export", "asm", real.path, RealScreens()[1].path, "--out-dir", folder / "out"});
    ASSERT_EQ(many.status, 0) << many.err;
    const Bytes asmText = ReadBytes(folder / ("out/" + real.name + ".asm"));
    EXPECT_NE(std::string(asmText.begin(), asmText.end()).find("\n" + real.name + ":\n"), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(folder / ("out/" + RealScreens()[1].name + ".asm")));
    const RunResult tap = RunTool({"export", "tap", real.path, "--name", "Loading", "-o", folder / "game.tap"});
    ASSERT_EQ(tap.status, 0) << tap.err;
    const Bytes tape = ReadBytes(folder / "game.tap");
    EXPECT_EQ(std::string(tape.begin() + 4, tape.begin() + 14), "Loading   ");
}

TEST(Extract, ATapeWrittenByExportGivesItsScreenBackUnderItsHeadersName) {
    TempFolder folder;
    const RealScreen& real = RealScreens()[5];
    ASSERT_EQ(RunTool({"export", "tap", real.path, "--name", "Loading", "-o", folder / "game.tap"}).status, 0);
    const RunResult list = RunTool({"extract", folder / "game.tap", "--list"});
    EXPECT_EQ(list.status, 0) << list.err;
    EXPECT_NE(list.out.find("game.tap: block 3, standard, \"Loading\", 6914 bytes, screen\n"), std::string::npos)
        << list.out;
    EXPECT_FALSE(std::filesystem::exists(folder / "game-Loading.scr"));
    const RunResult run = RunTool({"extract", folder / "game.tap"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadBytes(folder / "game-Loading.scr"), ToBytes(real.bytes));
}

TEST(Extract, A128kSnapshotGivesBothScreensAndBadFilesOneLineEach) {
    TempFolder folder;
    const Bytes shown = ToBytes(RealScreens()[0].bytes), other = ToBytes(RealScreens()[1].bytes);
    WriteBytes(folder / "game.szx", extract::testing::LibspectrumSnapshot("szx", {shown, other, true, true}));
    const Bytes z80 = extract::testing::LibspectrumSnapshot("z80", {shown, {}, false, false});
    WriteBytes(folder / "cut.z80", Bytes(z80.begin(), z80.begin() + 20));
    WriteBytes(folder / "plain.scr", shown);
    std::filesystem::create_directory(folder / "out");
    const RunResult run = RunTool(
        {"extract", folder / "cut.z80", folder / "plain.scr", folder / "game.szx", "--out-dir", folder / "out"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(ReadBytes(folder / "out/game.scr"), shown);
    EXPECT_EQ(ReadBytes(folder / "out/game-bank5.scr"), other);
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 2) << run.err;
    EXPECT_NE(run.err.find("scrtool: " + (folder / "cut.z80") + ": "), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("plain.scr: not a tape, snapshot or input recording"), std::string::npos) << run.err;
}

}  // namespace
}  // namespace scrtool::testing
