// The command line's transforms against the window's own code, run the way
// the window's dispatch runs it, on every real screen; and a few results
// worked out here without that code.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "scrtool/scrtool_test_support.h"
#include "screen/byte_ops.h"
#include "screen/operations.h"
#include "screen/outline_ops.h"
#include "screen/screen_store.h"
#include "screen/whole_screen_ops.h"

namespace scrtool::testing {
namespace {

struct WindowOperation {
    std::vector<std::string> command;  // the scrtool arguments before the files
    std::function<void(screen::ScreenSpan, screen::ScreenSpan)> menuItem;
};

std::vector<WindowOperation> Operations() {
    const auto byteOp = [](int index, std::string b1, std::string b2) {
        return WindowOperation{{"byte-op", std::to_string(index), b1, b2},
                               [=](screen::ScreenSpan working, screen::ScreenSpan) {
                                   screen::ApplyByteOperation(working, index, b1, b2);
                               }};
    };
    return {
        {{"invert"}, screen::WithoutScratch<screen::InvertScreen>},
        {{"optimize"}, screen::WithoutScratch<screen::OptimizeAttributes>},
        {{"contour"}, screen::FindContour},
        {{"mask"}, screen::CreateMask},
        {{"mirror"}, screen::WithoutScratch<screen::MirrorHorisontal>},
        byteOp(1, "56", "71"),
        byteOp(2, "b1", "$3f"),
        byteOp(3, "", "%1000000"),
        byteOp(4, "0", "-1"),
        byteOp(5, "0", "66"),
        byteOp(6, "7", "32"),
        byteOp(7, "  +2", "5x"),
        byteOp(1, "$38", "-$10"),
    };
}

ScreenBytes WindowResult(const WindowOperation& operation, const ScreenBytes& before) {
    screen::ScreenStore store;
    std::copy(before.begin(), before.end(), store.Working());
    screen::ChangeWithUndo(store, operation.menuItem);
    ScreenBytes after;
    std::copy_n(store.Working(), after.size(), after.begin());
    return after;
}

std::string Named(const std::vector<std::string>& command) {
    std::string name;
    for (const std::string& part : command)
        name += "[" + part + "]";
    return name;
}

TEST(Transforms, EveryOperationGivesTheWindowsBytesOnEveryRealScreen) {
    TempFolder folder;
    for (const WindowOperation& operation : Operations()) {
        for (const RealScreen& real : RealScreens()) {
            std::vector<std::string> args = operation.command;
            args.insert(args.end(), {real.path, "-o", folder / "out.scr"});
            const RunResult run = RunTool(args);
            ASSERT_EQ(run.status, 0) << Named(operation.command) << real.name << ": " << run.err;
            EXPECT_EQ(ReadBytes(folder / "out.scr"), ToBytes(WindowResult(operation, real.bytes)))
                << Named(operation.command) << " on " << real.name;
        }
    }
}

TEST(Transforms, InPlaceRewritesEveryFileAsTheWindowWould) {
    TempFolder folder;
    std::vector<std::string> args{"optimize", "--in-place"};
    for (const RealScreen& real : RealScreens()) {
        WriteBytes(folder / (real.name + ".scr"), ToBytes(real.bytes));
        args.push_back(folder / (real.name + ".scr"));
    }
    const RunResult run = RunTool(args);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out + run.err, "");
    for (const RealScreen& real : RealScreens())
        EXPECT_EQ(ReadBytes(folder / (real.name + ".scr")), ToBytes(WindowResult(Operations()[1], real.bytes)))
            << real.name;
    EXPECT_EQ(folder.Snapshot().size(), RealScreens().size()) << "a temporary file was left behind";
}

TEST(Transforms, PipesChainThroughStandardStreams) {
    for (const RealScreen& real : RealScreens()) {
        const RunResult first = RunTool({"invert", "-", "-o", "-"}, ToBytes(real.bytes));
        ASSERT_EQ(first.status, 0) << first.err;
        const RunResult second = RunTool({"invert", "-", "-o", "-"}, Bytes(first.out.begin(), first.out.end()));
        ASSERT_EQ(second.status, 0) << second.err;
        EXPECT_EQ(Bytes(second.out.begin(), second.out.end()), ToBytes(real.bytes)) << real.name;
    }
}

// Expectations worked out here, pixel by pixel and byte by byte.
ScreenBytes RunOn(const std::vector<std::string>& command, const ScreenBytes& before) {
    std::vector<std::string> args = command;
    args.insert(args.end(), {"-", "-o", "-"});
    const RunResult run = RunTool(args, ToBytes(before));
    EXPECT_EQ(run.status, 0) << run.err;
    ScreenBytes after{};
    if (run.out.size() == after.size())
        std::copy(run.out.begin(), run.out.end(), after.begin());
    return after;
}

TEST(Transforms, InvertAndMirrorMovePixelsAsExpected) {
    const ScreenBytes& before = RealScreens().front().bytes;
    const ScreenBytes inverted = RunOn({"invert"}, before);
    const ScreenBytes mirrored = RunOn({"mirror"}, before);
    for (int y = 0; y < 192; ++y) {
        for (int x = 0; x < 256; ++x) {
            ASSERT_NE(PixelOf(inverted.data(), x, y), PixelOf(before.data(), x, y)) << x << "," << y;
            ASSERT_EQ(PixelOf(mirrored.data(), 255 - x, y), PixelOf(before.data(), x, y)) << x << "," << y;
        }
    }
    for (int row = 0; row < 24; ++row) {
        for (int column = 0; column < 32; ++column) {
            const std::uint8_t a = AttributeOf(before.data(), column, row);
            const auto swapped = static_cast<std::uint8_t>((a & 0xC0) | (a & 7) << 3 | (a >> 3 & 7));
            EXPECT_EQ(AttributeOf(inverted.data(), column, row), swapped);
            EXPECT_EQ(AttributeOf(mirrored.data(), 31 - column, row), a);
        }
    }
}

TEST(Transforms, ByteOperandsAreReadAsTheWindowsFieldsRead) {
    // XOR with b2 shows the operand in every attribute byte.
    const ScreenBytes& before = RealScreens()[1].bytes;
    const struct {
        const char* text;
        std::uint8_t value;
    } operands[] = {{"71", 71}, {"$47", 71},   {"$4f", 79},   {"%01000111", 71}, {"  +12", 12}, {"-1", 255},
                    {"256", 0}, {"300", 44},   {"12abc", 12}, {"0x10", 0},       {"- 5", 0},    {"$", 0},
                    {"%2", 0},  {"-$10", 240}, {"b2", 0},     {"", 0},           {"\t7", 7}};
    for (const auto& operand : operands) {
        const ScreenBytes after = RunOn({"byte-op", "4", "anything", operand.text}, before);
        for (int i = 0; i < 6912; ++i)
            ASSERT_EQ(after[i], i < 6144 ? before[i] : before[i] ^ operand.value)
                << "'" << operand.text << "' at " << i;
    }
}

TEST(Transforms, ChangeBothInkAndPaperOnKnownBytes) {
    ScreenBytes before{};
    AttributeOf(before.data(), 0, 0) = 18;  // paper 2, ink 2
    AttributeOf(before.data(), 1, 0) = 10;  // paper 1, ink 2
    AttributeOf(before.data(), 2, 0) = 56;
    const ScreenBytes after = RunOn({"byte-op", "7", "2", "5"}, before);
    EXPECT_EQ(after[6144], 45);
    EXPECT_EQ(after[6145], 13);
    EXPECT_EQ(after[6146], 56);
    EXPECT_EQ(after[6147], 0);  // paper 0, ink 0 is left alone
}

}  // namespace
}  // namespace scrtool::testing
