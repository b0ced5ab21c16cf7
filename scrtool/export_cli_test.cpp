// export and extract as a user runs them: every option reaches the file
// written, and tapes and snapshots give their screens back under their names.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "export/rcs_test_oracle.h"
#include "export/screen_bytes.h"
#include "export/zx0_test_decoder.h"
#include "extract/extract_test_files.h"
#include "scrtool/scrtool_test_support.h"

namespace scrtool::testing {
namespace {

using exporter::testing::FromRcs;

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

// title.v2.scr and title.v3.scr were both labelled "title" (the stem cut
// twice), so a build including both failed.
TEST(Export, EachInputsLabelIsItsWholeStemAndTwoInputsOfOneLabelAreRefused) {
    TempFolder folder;
    const Bytes screen = ToBytes(RealScreens()[0].bytes);
    for (const char* name : {"title.v2.scr", "title.v3.scr", "title-v2.scr"})
        WriteBytes(folder / name, screen);
    std::filesystem::create_directory(folder / "out");
    for (const char* format : {"asm", "c"}) {
        const RunResult run =
            RunTool({"export", format, folder / "title.v2.scr", folder / "title.v3.scr", "--out-dir", folder / "out"});
        ASSERT_EQ(run.status, 0) << run.err;
        for (const char* stem : {"title.v2", "title.v3"}) {
            const Bytes text = ReadBytes(folder / ("out/" + std::string(stem) + "." + format));
            const std::string label = std::string("title_") + (stem + 6);
            const std::string declared = std::string(format) == "asm" ? "\n" + label + ":\n" : " " + label + "[";
            EXPECT_NE(std::string(text.begin(), text.end()).find(declared), std::string::npos) << stem << format;
        }
    }
    const RunResult clash =
        RunTool({"export", "asm", folder / "title.v2.scr", folder / "title-v2.scr", "--out-dir", folder / "clash"});
    EXPECT_EQ(clash.status, 2);
    EXPECT_NE(clash.err.find("label 'title_v2' would be given to both"), std::string::npos) << clash.err;
    EXPECT_FALSE(std::filesystem::exists(folder / "clash"));
    // Formats without labels write both.
    std::filesystem::create_directory(folder / "bins");
    EXPECT_EQ(RunTool({"export", "bin", folder / "title.v2.scr", folder / "title-v2.scr", "--out-dir", folder / "bins"})
                  .status,
              0);
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

// The screen file of the mode the machine shows: a ULAplus .szx gives the
// screen with its palette (6976 bytes), a Timex hi-colour one the bitmap and
// its attributes (12288), and --list says which.
TEST(Extract, ASnapshotsScreenFileIsOfTheModeItIsShownIn) {
    TempFolder folder;
    const Bytes shown = ToBytes(RealScreens()[0].bytes), attributes = ToBytes(RealScreens()[1].bytes);
    Bytes palette(64);
    for (std::size_t i = 0; i < palette.size(); ++i)
        palette[i] = static_cast<std::uint8_t>(255 - i);
    WriteBytes(folder / "plus.szx", extract::testing::ModeSnapshot("szx", shown, -1, palette));
    Bytes bank5 = shown;
    bank5.resize(0x2000, 0);
    bank5.insert(bank5.end(), attributes.begin(), attributes.begin() + screen::BitmapSize);
    WriteBytes(folder / "timex.szx", extract::testing::ModeSnapshot("szx", bank5, 0x02, {}));
    const RunResult list = RunTool({"extract", folder / "plus.szx", folder / "timex.szx", "--list"});
    ASSERT_EQ(list.status, 0) << list.err;
    EXPECT_NE(list.out.find("plus.szx: bank 5, \"\", 6976 bytes, screen (ULAplus)\n"), std::string::npos) << list.out;
    EXPECT_NE(list.out.find("timex.szx: bank 5, \"\", 12288 bytes, screen (Timex hi-colour)\n"), std::string::npos)
        << list.out;
    ASSERT_EQ(RunTool({"extract", folder / "plus.szx", folder / "timex.szx"}).status, 0);
    Bytes withPalette = shown;
    withPalette.insert(withPalette.end(), palette.begin(), palette.end());
    EXPECT_EQ(ReadBytes(folder / "plus.scr"), withPalette);
    Bytes hiColour(shown.begin(), shown.begin() + screen::BitmapSize);
    hiColour.insert(hiColour.end(), attributes.begin(), attributes.begin() + screen::BitmapSize);
    EXPECT_EQ(ReadBytes(folder / "timex.scr"), hiColour);
}

// A .tap block: its length, the flag byte, the bytes and their checksum.
Bytes TapBlock(std::uint8_t flag, const Bytes& bytes) {
    Bytes block{static_cast<std::uint8_t>((bytes.size() + 2) & 0xFF),
                static_cast<std::uint8_t>((bytes.size() + 2) >> 8), flag};
    std::uint8_t sum = flag;
    for (std::uint8_t byte : bytes)
        sum ^= byte;
    block.insert(block.end(), bytes.begin(), bytes.end());
    block.push_back(sum);
    return block;
}

// A CODE header named `name` and the screen after it: blocks 2n and 2n + 1.
Bytes NamedScreenBlocks(const Bytes& screen, const std::string& name) {
    Bytes header{3};
    std::string padded = name;
    padded.resize(10, ' ');
    header.insert(header.end(), padded.begin(), padded.end());
    header.insert(header.end(), {0x00, 0x1B, 0x00, 0x40, 0x00, 0x80});  // 6912 bytes at 16384
    Bytes blocks = TapBlock(0x00, header);
    const Bytes data = TapBlock(0xFF, screen);
    blocks.insert(blocks.end(), data.begin(), data.end());
    return blocks;
}

// Screens named "x-5", "x" and "x" in blocks 1, 3 and 5 gave two files: the
// third took "x-x-5", the first's name. Now each gets a file of its own, and
// a screen named as another input's screen (block 0 of game.tap, and
// game-0.sp's) takes another name: nothing written in the run is written over.
TEST(Extract, EveryScreenOfARunGetsAFileOfItsOwn) {
    TempFolder folder;
    const Bytes a = ToBytes(RealScreens()[0].bytes), b = ToBytes(RealScreens()[1].bytes),
                c = ToBytes(RealScreens()[2].bytes);
    Bytes tape = NamedScreenBlocks(a, "x-5");
    for (const auto& [screen, name] : {std::pair{b, "x"}, std::pair{c, "x"}}) {
        const Bytes more = NamedScreenBlocks(screen, name);
        tape.insert(tape.end(), more.begin(), more.end());
    }
    WriteBytes(folder / "x.tap", tape);
    const RunResult named = RunTool({"extract", folder / "x.tap"});
    ASSERT_EQ(named.status, 0) << named.err;
    EXPECT_EQ(ReadBytes(folder / "x-x-5.scr"), a);
    EXPECT_EQ(ReadBytes(folder / "x-x.scr"), b);
    EXPECT_EQ(ReadBytes(folder / "x-x-2.scr"), c);
    WriteBytes(folder / "game.tap", TapBlock(0xFF, a));
    WriteBytes(folder / "game-0.sp", extract::testing::SpHolding(b));
    const RunResult two = RunTool({"extract", folder / "game.tap", folder / "game-0.sp"});
    ASSERT_EQ(two.status, 0) << two.err;
    EXPECT_EQ(ReadBytes(folder / "game-0.scr"), a);
    EXPECT_EQ(ReadBytes(folder / "game-0-bank5.scr"), b);
}

struct Measured {
    int status = -1;
    std::string err;
    double seconds = 0;  // processor time, the program's and its child's
    long kilobytes = 0;  // the largest resident size of either
    bool ended = false;  // within the time allowed
};

// Runs scrtool with its error output kept, for at most `allowed`.
Measured RunMeasured(const std::vector<std::string>& arguments, const std::string& errors,
                     std::chrono::seconds allowed) {
    Measured measured;
    const pid_t child = ::fork();
    if (child == 0) {
        const int null = ::open("/dev/null", O_RDWR);
        const int err = ::open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(null, STDIN_FILENO);
        ::dup2(null, STDOUT_FILENO);
        ::dup2(err, STDERR_FILENO);
        ExecTool(arguments);
    }
    const auto deadline = std::chrono::steady_clock::now() + allowed;
    int status = 0;
    rusage usage{};
    while (::wait4(child, &status, WNOHANG, &usage) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(child, SIGKILL);
            ::wait4(child, &status, 0, &usage);
            return measured;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    measured.ended = true;
    measured.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    const Bytes err = ReadBytes(errors);
    measured.err.assign(err.begin(), err.end());
    measured.seconds =
        usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    measured.kilobytes = usage.ru_maxrss;
    return measured;
}

// The 256 KiB tape of 65,536 two-byte blocks took 9.4 s and 906 MB, a
// megabyte of compressed pulses 1 GB: each is now one line, in under half
// a second of processor time and 64 MB. A pipe is refused unread.
TEST(Extract, HostileInputsAreBoundedAndAPipeIsRefused) {
    TempFolder folder;
    WriteBytes(folder / "blocks.tap", extract::testing::TapOfSmallBlocks(65536));
    WriteBytes(folder / "pulses.csw", extract::testing::CompressedCsw(1024));
    ASSERT_EQ(::mkfifo((folder / "pipe.tap").c_str(), 0600), 0);
#if defined(__SANITIZE_ADDRESS__)
    // The sanitizers' own cost in time. Memory is not measured there: the
    // child's largest resident size counts the copy of this test program it
    // was forked from until its exec, and the sanitizer's quarantine makes
    // that copy hundreds of megabytes.
    constexpr double Slower = 4;
    constexpr bool MemoryMeasured = false;
#else
    constexpr double Slower = 1;
    constexpr bool MemoryMeasured = true;
#endif
    for (const char* name : {"blocks.tap", "pulses.csw", "pipe.tap"}) {
        const Measured run =
            RunMeasured({"extract", folder / name, "--list"}, folder / "errors", std::chrono::seconds(20));
        ASSERT_TRUE(run.ended) << name;
        EXPECT_EQ(run.status, 1) << name;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << name << ": " << run.err;
        EXPECT_LT(run.seconds, 0.5 * Slower) << name;
        if (MemoryMeasured) {
            EXPECT_LT(run.kilobytes, 64 * 1024) << name;
        }
    }
    const Measured pipe = RunMeasured({"extract", folder / "pipe.tap"}, folder / "errors", std::chrono::seconds(20));
    EXPECT_NE(pipe.err.find("pipe.tap: not a regular file"), std::string::npos) << pipe.err;
}

}  // namespace
}  // namespace scrtool::testing
