// The tape: our own reader checks its blocks and checksums, and tzxlist, a
// reader of its own, lists the loader and the CODE block.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <unistd.h>

#include "export/export_test_support.h"
#include "export/tape.h"

namespace exporter {
namespace {

using testing::Bytes;

struct TapeBlock {
    std::uint8_t flag = 0;
    Bytes payload;
    bool checksumRight = false;
};

// Blocks as the ROM's LOAD would read them; nothing if a length runs past the end.
std::optional<std::vector<TapeBlock>> ReadTape(const Bytes& tape) {
    std::vector<TapeBlock> blocks;
    for (std::size_t at = 0; at < tape.size();) {
        if (at + 2 > tape.size())
            return std::nullopt;
        const std::size_t length = tape[at] | tape[at + 1] << 8;
        at += 2;
        if (length < 2 || at + length > tape.size())
            return std::nullopt;
        TapeBlock block{tape[at], Bytes(tape.begin() + at + 1, tape.begin() + at + length - 1), false};
        std::uint8_t sum = 0;
        for (std::size_t i = 0; i < length; ++i)
            sum ^= tape[at + i];
        block.checksumRight = sum == 0;
        blocks.push_back(block);
        at += length;
    }
    return blocks;
}

int Word(const Bytes& bytes, std::size_t at) { return bytes[at] | bytes[at + 1] << 8; }

TEST(Tape, NamesTheRomCanShowAreAccepted) {
    EXPECT_TRUE(ValidTapeName(""));
    EXPECT_TRUE(ValidTapeName("Loading ~}"));
    EXPECT_FALSE(ValidTapeName("Eleven char"));
    EXPECT_FALSE(ValidTapeName("tab\there"));
    EXPECT_FALSE(ValidTapeName("caf\xc3\xa9"));
    EXPECT_EQ(TapeNameFrom("art/title screen 2.scr"), "title scre");
    EXPECT_EQ(TapeNameFrom("caf\xc3\xa9.scr"), "caf");
}

TEST(Tape, EveryScreenGivesALoaderAndItsCodeBlockWithRightChecksums) {
    for (const auto& screen : testing::RealScreens()) {
        const auto blocks = ReadTape(ScreenTape(screen.bytes, "Loading"));
        ASSERT_TRUE(blocks.has_value()) << screen.name;
        ASSERT_EQ(blocks->size(), 4u) << screen.name;
        for (const auto& block : *blocks)
            EXPECT_TRUE(block.checksumRight) << screen.name;
        const auto& programHeader = (*blocks)[0].payload;
        const auto& program = (*blocks)[1].payload;
        const auto& codeHeader = (*blocks)[2].payload;
        EXPECT_EQ((*blocks)[0].flag, 0x00);
        EXPECT_EQ((*blocks)[1].flag, 0xFF);
        EXPECT_EQ((*blocks)[2].flag, 0x00);
        EXPECT_EQ((*blocks)[3].flag, 0xFF);
        ASSERT_EQ(programHeader.size(), 17u);
        EXPECT_EQ(programHeader[0], 0);
        EXPECT_EQ(std::string(programHeader.begin() + 1, programHeader.begin() + 11), "Loading   ");
        EXPECT_EQ(Word(programHeader, 11), static_cast<int>(program.size()));
        EXPECT_EQ(Word(programHeader, 13), 10);                                // autostart line
        EXPECT_EQ(Word(programHeader, 15), static_cast<int>(program.size()));  // no variables
        // 10 LOAD ""SCREEN$ : PAUSE 0, the 0 with its hidden five-byte value.
        EXPECT_EQ(program, (Bytes{0, 10, 14, 0, 0xEF, '"', '"', 0xAA, ':', 0xF2, '0', 0x0E, 0, 0, 0, 0, 0, 0x0D}));
        ASSERT_EQ(codeHeader.size(), 17u);
        EXPECT_EQ(codeHeader[0], 3);
        EXPECT_EQ(Word(codeHeader, 11), 6912);
        EXPECT_EQ(Word(codeHeader, 13), 16384);
        EXPECT_EQ((*blocks)[3].payload, screen.bytes) << screen.name;
    }
}

TEST(Tape, TzxlistListsTheLoaderAndTheScreen) {
    const auto path = std::filesystem::temp_directory_path() / ("export-tape-" + std::to_string(getpid()) + ".tap");
    for (const auto& screen : testing::RealScreens()) {
        const Bytes tape = ScreenTape(screen.bytes, screen.name);
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(tape.data()), static_cast<std::streamsize>(tape.size()));
        const auto run = testing::RunTool("tzxlist " + path.string());
        EXPECT_EQ(run.status, 0) << run.output;
        const std::string name = "\"" + screen.name + std::string(10 - screen.name.size(), ' ') + "\"";
        EXPECT_NE(run.output.find("Program: " + name + " LINE 10"), std::string::npos) << run.output;
        EXPECT_NE(run.output.find("Bytes: " + name + " SCREEN$  16384, 6912"), std::string::npos) << run.output;
        EXPECT_EQ(run.output.find("FAIL"), std::string::npos) << run.output;
    }
    std::filesystem::remove(path);
}

}  // namespace
}  // namespace exporter
