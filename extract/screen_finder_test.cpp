// Every kind of file extract reads, made in the tests around a real screen,
// gives that screen back; damaged files give a reason, never a crash.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>

#include <unistd.h>

#include "export/tape.h"
#include "extract/extract_test_files.h"
#include "extract/guarded_reader.h"
#include "extract/screen_finder.h"
#include "extract/snap2tzx_tape.h"
#include "screen/screen_layout.h"
#include "testsupport/real_screens.h"

namespace extract {
namespace {

using testing::Bytes;

Bytes RealScreen(const std::string& name) {
    const auto& bytes = testsupport::RealScreenBytes(name);
    return Bytes(bytes.begin(), bytes.end());
}

const Bytes& TitleScreen() {
    static const Bytes s = RealScreen("screen01.scr");
    return s;
}
const Bytes& OtherScreen() {
    static const Bytes s = RealScreen("screen09.scr");
    return s;
}

std::vector<Bytes> ScreensIn(const Contents& contents) {
    std::vector<Bytes> screens;
    for (const auto& found : contents.found)
        if (found.isScreen)
            screens.push_back(found.screen);
    return screens;
}

TEST(Extract, OurTapeGivesTheScreenNamedAfterItsHeader) {
    const auto contents = FindScreens(exporter::ScreenTape(TitleScreen(), "Loading"), "game.tap");
    ASSERT_EQ(contents.error, "");
    ASSERT_EQ(contents.found.size(), 4u);
    const Found& data = contents.found[3];
    EXPECT_TRUE(data.isScreen);
    EXPECT_EQ(data.block, 3);
    EXPECT_EQ(data.kind, "standard");
    EXPECT_EQ(data.name, "Loading");
    EXPECT_EQ(data.length, 6914u);
    EXPECT_EQ(data.screen, TitleScreen());
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(contents.found[i].isScreen) << i;
}

TEST(Extract, EveryTapeKindGivesTheScreen) {
    const Bytes tap = exporter::ScreenTape(TitleScreen(), "Loading");
    const std::vector<std::pair<std::string, Bytes>> tapes = {
        {"a.tzx", testing::TzxFromTap(tap)},
        {"b.tzx", testing::TzxTurboAndPureData(TitleScreen())},
        {"c.pzx", testing::PzxHolding(TitleScreen())},
    };
    for (const auto& [name, bytes] : tapes) {
        const auto contents = FindScreens(bytes, name);
        ASSERT_EQ(contents.error, "") << name;
        const auto screens = ScreensIn(contents);
        ASSERT_FALSE(screens.empty()) << name;
        for (const auto& screen : screens)
            EXPECT_EQ(screen, TitleScreen()) << name;
    }
    const auto turbo = FindScreens(testing::TzxTurboAndPureData(TitleScreen()), "b.tzx");
    ASSERT_EQ(turbo.found.size(), 2u);
    EXPECT_EQ(turbo.found[0].kind, "turbo");
    EXPECT_EQ(turbo.found[1].kind, "pure data");
}

// A recording of pulses carries no bytes to read back: no screen, no error.
TEST(Extract, CswHasNoScreenToGive) {
    const auto contents = FindScreens(testing::CswFromTap(exporter::ScreenTape(TitleScreen(), "x")), "a.csw");
    EXPECT_EQ(contents.error, "");
    EXPECT_TRUE(ScreensIn(contents).empty());
    // libspectrum read 41 bytes past the end of this one (a header extension
    // of one byte): a .csw is now read by us alone.
    const std::string signature = "Compressed Square Wave\x1A";
    Bytes damaged(signature.begin(), signature.end());
    const Bytes rest{2, 2, 0x0E, 0, 0,   0,   0,   0,   0,   0,   1,   0x13, 1,   6,   0,   0,   0,   0,
                     0, 0, 0,    0, 'd', ' ', 'S', 'q', 'u', 'a', 'r', 'e',  ' ', 'W', 'a', 'v', 'e', 0x1A,
                     2, 2, 0x0E, 0, 0,   0,   0,   0,   0,   0,   2,   0,    0,   6,   0,   0,   0,   0,
                     0, 0, 0,    0, 0,   0,   0,   0,   0,   0,   0,   0,    0,   0,   0};
    damaged.insert(damaged.end(), rest.begin(), rest.end());
    ASSERT_EQ(damaged.size(), 92u);
    const auto read = FindScreens(damaged, "damaged.csw");
    EXPECT_EQ(read.error, "");
    EXPECT_TRUE(read.found.empty());
}

TEST(Extract, EverySnapshotKindGivesTheScreen) {
    const testing::SnapshotScreens plain{TitleScreen(), {}, false, false};
    const std::vector<std::pair<std::string, Bytes>> snapshots = {
        {"a.sna", testing::LibspectrumSnapshot("sna", plain)},
        {"a.z80", testing::LibspectrumSnapshot("z80", plain)},
        {"b.z80", testing::LibspectrumSnapshot("z80", plain, false)},
        {"c.z80", testing::Z80Version1(TitleScreen(), true)},
        {"d.z80", testing::Z80Version1(TitleScreen(), false)},
        {"a.szx", testing::LibspectrumSnapshot("szx", plain)},
        {"a.sp", testing::SpHolding(TitleScreen())},
        // By hand: the screen at 27 in a 48K .sna; a .sp dump from 16000.
        {"h.sna", testing::Sna48(TitleScreen())},
        {"e.sp", testing::SpFrom(TitleScreen(), 16000)},
        {"a.rzx", testing::RecordingHolding(plain)},
    };
    for (const auto& [name, bytes] : snapshots) {
        const auto contents = FindScreens(bytes, name);
        ASSERT_EQ(contents.error, "") << name;
        EXPECT_EQ(ScreensIn(contents), std::vector<Bytes>{TitleScreen()}) << name;
    }
}

// A 128K machine showing its shadow screen shows bank 7; bank 5 comes second.
TEST(Extract, The128kShadowScreenComesFirst) {
    const testing::SnapshotScreens shadow{TitleScreen(), OtherScreen(), true, true};
    const std::vector<std::pair<std::string, Bytes>> snapshots = {
        {"a.sna", testing::LibspectrumSnapshot("sna", shadow)},
        {"a.z80", testing::LibspectrumSnapshot("z80", shadow)},
        {"b.z80", testing::Z80Version2Shadow128(TitleScreen(), OtherScreen())},
        {"a.szx", testing::LibspectrumSnapshot("szx", shadow)},
        {"h.sna", testing::Sna128Shadow(TitleScreen(), OtherScreen())},
    };
    for (const auto& [name, bytes] : snapshots) {
        const auto contents = FindScreens(bytes, name);
        ASSERT_EQ(contents.error, "") << name;
        ASSERT_EQ(contents.found.size(), 2u) << name;
        EXPECT_EQ(contents.found[0].kind, "bank 7") << name;
        EXPECT_EQ(contents.found[0].screen, TitleScreen()) << name;
        EXPECT_EQ(contents.found[1].screen, OtherScreen()) << name;
    }
    // A blank other bank is left out.
    const auto alone = FindScreens(testing::LibspectrumSnapshot("szx", {TitleScreen(), {}, true, false}), "a.szx");
    ASSERT_EQ(alone.found.size(), 1u);
    EXPECT_EQ(alone.found[0].kind, "bank 5");
}

TEST(Extract, DamagedFilesGiveAReason) {
    const Bytes tap = exporter::ScreenTape(TitleScreen(), "Loading");
    const Bytes z80 = testing::LibspectrumSnapshot("z80", {TitleScreen(), {}, false, false});
    const Bytes szx = testing::LibspectrumSnapshot("szx", {TitleScreen(), {}, false, false});
    const Bytes sp = testing::SpHolding(TitleScreen());
    const std::vector<std::pair<std::string, Bytes>> damaged = {
        {"cut.tap", Bytes(tap.begin(), tap.begin() + 100)},
        {"cut.z80", Bytes(z80.begin(), z80.begin() + 20)},
        {"cut.szx", Bytes(szx.begin(), szx.begin() + 60)},
        {"empty.sna", Bytes{}},
        // libspectrum took this .tap for another program's tape format, whose
        // reader left a tape behind that crashed when freed.
        {"warajevo.tap",
         [] {
             Bytes b(48, 0xFF);
             std::fill(b.begin(), b.begin() + 6, 0);
             std::fill(b.begin() + 41, b.end(), 0);
             b[41] = 0x26;
             b[47] = 0x48;
             return b;
         }()},
        {"empty-block.tap", Bytes{0, 0, 2, 0, 0xFF, 0xFF}},
        // Shorter than a recording's header: our check of its blocks read past the end.
        {"short.rzx", Bytes{'R', 'Z', 'X', '!', 0, 13}},
        // Guessing the kind of these, libspectrum unpacked them and never came back.
        {"a.sp", Bytes{'B', 'Z', 'h'}},
        {"a.z80", Bytes{0x1F, 0x8B, 8, 0}},
        // libspectrum's own .sp reader writes past its buffer on every file
        // that starts at 16384; ours must also refuse a cut dump.
        {"cut.sp", Bytes(sp.begin(), sp.begin() + 6000)},
    };
    for (const auto& [name, bytes] : damaged) {
        const auto contents = FindScreens(bytes, name);
        EXPECT_NE(contents.error, "") << name;
        EXPECT_EQ(contents.error.find('\n'), std::string::npos) << name;
    }
}

// A machine showing its screen through a ULAplus palette or in a Timex video
// mode gives that mode's file: the screen and its palette (6976 bytes), the
// bitmap and its 6144 attribute bytes from 0x6000 (12288, or 12352 with a
// palette), two bitmaps and the colour byte (12289), or the second screen.
TEST(Extract, ASnapshotsScreenComesInTheModeItIsShownIn) {
    Bytes palette(64);
    for (std::size_t i = 0; i < palette.size(); ++i)
        palette[i] = static_cast<std::uint8_t>(i * 37 + 5);
    Bytes bank5 = TitleScreen();
    bank5.resize(0x2000, 0);
    const Bytes& second = OtherScreen();
    bank5.insert(bank5.end(), second.begin(), second.end());
    const Bytes bitmap(TitleScreen().begin(), TitleScreen().begin() + screen::BitmapSize);
    const Bytes secondBitmap(second.begin(), second.begin() + screen::BitmapSize);
    const auto joined = [](std::initializer_list<Bytes> parts) {
        Bytes all;
        for (const Bytes& part : parts)
            all.insert(all.end(), part.begin(), part.end());
        return all;
    };
    struct Case {
        std::string format;
        int timexMode;
        bool withPalette;
        std::string mode;
        Bytes expected;
    };
    for (const Case& c :
         {Case{"szx", -1, true, "ULAplus", joined({TitleScreen(), palette})},
          Case{"szx", 0x02, false, "Timex hi-colour", joined({bitmap, secondBitmap})},
          Case{"z80", 0x02, false, "Timex hi-colour", joined({bitmap, secondBitmap})},
          Case{"szx", 0x02, true, "Timex hi-colour with ULAplus", joined({bitmap, secondBitmap, palette})},
          Case{"szx", 0x1E, false, "Timex hi-res", joined({bitmap, secondBitmap, Bytes{0x1E}})},
          Case{"szx", 0x01, false, "", second}, Case{"szx", 0x00, false, "", TitleScreen()}}) {
        const std::string name = c.format + " " + std::to_string(c.timexMode) + (c.withPalette ? " palette" : "");
        const Bytes snapshot = testing::ModeSnapshot(c.format, bank5, c.timexMode, c.withPalette ? palette : Bytes{});
        const auto contents = FindScreensGuarded(snapshot, "a." + c.format);
        ASSERT_EQ(contents.error, "") << name;
        ASSERT_EQ(contents.found.size(), 1u) << name;
        EXPECT_EQ(contents.found[0].mode, c.mode) << name;
        EXPECT_EQ(contents.found[0].length, c.expected.size()) << name;
        EXPECT_EQ(contents.found[0].screen, c.expected) << name;
    }
}

// A screen that trips a run-length packer with 0xED as its marker: runs
// longer than a count holds, runs of the marker itself (one counting 0xED of
// them), a lone marker, two markers, a marker just before a run, and runs of
// four and five; the rest plain.
Bytes MarkerHeavyScreen() {
    Bytes s;
    auto run = [&](std::size_t count, std::uint8_t value) { s.insert(s.end(), count, value); };
    run(700, 0x00);
    run(1, 0xED), run(1, 0x01), run(2, 0xED), run(1, 0x02), run(3, 0xED), run(1, 0x03);
    run(300, 0xED), run(1, 0x04), run(0xED, 0xED), run(1, 0x05), run(0xED, 0x00);
    run(1, 0xED), run(6, 0x11), run(1, 0xED), run(5, 0x12), run(4, 0x13), run(5, 0x14), run(1, 0xED);
    while (s.size() < screen::BitmapSize)
        s.push_back(static_cast<std::uint8_t>(s.size() * 37 % 251));
    run(256, 0x38), run(1, 0xED), run(255, 0xED), run(1, 0x47);
    while (s.size() < screen::ScreenSize)
        s.push_back(static_cast<std::uint8_t>(0x40 | s.size() % 64));
    return s;
}

// Each data block tzxlist lists (standard, turbo, pure data): its number
// and length; `listing` gets tzxlist's whole output.
std::vector<std::pair<int, std::size_t>> ListedByTzxlist(const std::string& tape, std::string& listing) {
    FILE* pipe = popen(("tzxlist " + tape).c_str(), "r");
    for (char chunk[4096]; std::size_t got = fread(chunk, 1, sizeof chunk, pipe);)
        listing.append(chunk, got);
    pclose(pipe);
    std::vector<std::pair<int, std::size_t>> listed;
    const std::regex block(R"(Block #(\d+)[\s\S]*?Block type 0x(10|11|14))");
    const std::regex length(R"((?:Block|Data) length: (\d+) bytes)");
    for (std::sregex_iterator it(listing.begin(), listing.end(), block), end; it != end; ++it) {
        std::smatch size;
        const std::string rest = listing.substr(it->position() + it->length());
        if (!std::regex_search(rest, size, length))
            return {};
        listed.push_back({std::stoi((*it)[1]), std::stoul(size[1])});
    }
    return listed;
}

// snap2tzx, a tool of its own, makes a tape from a snapshot with a loading
// screen in a packed block of its own: we read the tape without error, list
// the same data blocks that tzxlist lists, and find that screen, byte for
// byte what the block holds when unpacked as snap2tzx's loader unpacks it.
TEST(Extract, Snap2tzxTapesListAsTzxlistListsThemAndGiveTheLoadingScreen) {
    const auto folder = std::filesystem::temp_directory_path() / ("extract-test-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    auto write = [&](const std::string& name, const Bytes& bytes) {
        std::ofstream(folder / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return (folder / name).string();
    };
    const auto snap = write("game.z80", testing::LibspectrumSnapshot("z80", {OtherScreen(), {}, false, false}));
    for (const Bytes& title : {TitleScreen(), MarkerHeavyScreen()}) {
        const auto scr = write("title.scr", title);
        const auto tape = (folder / "game.tzx").string();
        ASSERT_EQ(std::system(("snap2tzx -$ " + scr + " -o " + tape + " " + snap + " > /dev/null 2>&1").c_str()), 0);
        std::ifstream in(tape, std::ios::binary);
        const Bytes bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        const auto contents = FindScreens(bytes, tape);
        ASSERT_EQ(contents.error, "");

        std::string listing;
        const auto listed = ListedByTzxlist(tape, listing);
        std::vector<std::pair<int, std::size_t>> ours;
        for (const auto& found : contents.found)
            ours.push_back({found.block, found.length});
        EXPECT_EQ(ours, listed) << listing;

        // The loader (two standard blocks), then the screen in the first turbo block.
        const auto blocks = testing::StandardAndTurboBlocks(bytes);
        ASSERT_EQ(blocks.fault, "");
        ASSERT_GE(blocks.blocks.size(), 3u);
        ASSERT_EQ(blocks.blocks[2].id, 0x11);
        const auto unpacked = testing::UnpackSnap2tzxScreen(blocks.blocks[2].data);
        ASSERT_EQ(unpacked.fault, "");
        EXPECT_TRUE(unpacked.screen == title);
        ASSERT_GE(contents.found.size(), 3u);
        EXPECT_EQ(contents.found[2].kind, "turbo");
        EXPECT_EQ(contents.found[2].length, blocks.blocks[2].data.size());
        EXPECT_TRUE(contents.found[2].isScreen);
        EXPECT_TRUE(contents.found[2].screen == title);
        EXPECT_EQ(ScreensIn(contents).size(), 1u);
    }
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace extract
