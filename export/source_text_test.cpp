// What we write must build: every real screen, every part and order, as db
// lines through pasmo and as C arrays through gcc and sdcc, read back byte for byte.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>

#include <unistd.h>

#include "export/export_test_support.h"
#include "export/screen_bytes.h"
#include "export/source_text.h"

namespace exporter {
namespace {

using testing::Bytes;
using testing::RunTool;

struct Case {
    std::string name;
    Bytes bytes;
};

// Each screen's parts in each order, with a name of its own.
std::vector<Case> EveryPartAndOrder() {
    std::vector<Case> cases;
    for (const auto& screen : testing::RealScreens())
        for (Part part : {Part::All, Part::Bitmap, Part::Attributes})
            for (Order order : {Order::Screen, Order::Linear})
                cases.push_back({IdentifierFrom(screen.name + "_" + std::string(PartName(part)) + "_" +
                                                std::string(OrderName(order)) + ".scr"),
                                 PartBytes(screen.bytes, part, order)});
    return cases;
}

class Scratch {
public:
    Scratch() : path_(std::filesystem::temp_directory_path() / ("export-test-" + std::to_string(getpid()))) {
        std::filesystem::create_directories(path_);
    }
    ~Scratch() { std::filesystem::remove_all(path_); }
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }
    void Write(const std::string& name, const std::string& text) const { std::ofstream(path_ / name) << text; }
    Bytes Read(const std::string& name) const {
        std::ifstream in(path_ / name, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

private:
    std::filesystem::path path_;
};

void AppendLittleEndian(Bytes& bytes, std::size_t value) {
    bytes.push_back(static_cast<std::uint8_t>(value & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(value >> 8));
}

TEST(Identifier, FileNamesBecomeNamesEveryToolAccepts) {
    const std::map<std::string, std::string> expected = {{"title.scr", "title"}, {"pics/my-pic 2.scr", "my_pic_2"},
                                                         {"3d.scr", "_3d"},      {"hl.scr", "hl_"},
                                                         {"int.scr", "int_"},    {"A.scr", "A_"},
                                                         {".scr", "_scr"},       {"caf\xc3\xa9.scr", "caf__"},
                                                         {"noext", "noext"}};
    for (const auto& [file, name] : expected)
        EXPECT_EQ(IdentifierFrom(file), name) << file;
}

// One source per screen (the Z80 sees only 64K) with its parts and orders,
// each label and length used after the data, so that a wrong length or a
// label the assembler refuses shows too.
TEST(AsmSource, PasmoAssemblesEveryPartAndOrderToTheBytes) {
    Scratch scratch;
    const auto cases = EveryPartAndOrder();
    const std::size_t perScreen = cases.size() / testing::RealScreens().size();
    for (std::size_t first = 0; first < cases.size(); first += perScreen) {
        std::string wrapper = "        org 0\n";
        Bytes expected;
        for (std::size_t i = first; i < first + perScreen; ++i) {
            const auto& c = cases[i];
            scratch.Write(c.name + ".asm", AsmSource(c.name, c.bytes, c.name + ".scr: a */ test\nscreen"));
            wrapper += "        include \"" + (scratch / (c.name + ".asm")) + "\"\n";
            wrapper += "        dw " + c.name + "_length\n";
            expected.insert(expected.end(), c.bytes.begin(), c.bytes.end());
            AppendLittleEndian(expected, c.bytes.size());
        }
        scratch.Write("screen.asm", wrapper);
        const auto run = RunTool("pasmo --bin " + (scratch / "screen.asm") + " " + (scratch / "screen.bin"));
        ASSERT_EQ(run.status, 0) << run.output;
        EXPECT_EQ(run.output, "");
        EXPECT_EQ(scratch.Read("screen.bin"), expected) << cases[first].name;
    }
}

TEST(CSource, GccCompilesEveryPartAndOrderToTheBytes) {
    Scratch scratch;
    std::string program = "#include <stdio.h>\n";
    std::string body;
    Bytes expected;
    for (const auto& c : EveryPartAndOrder()) {
        program += CSource(c.name, c.bytes, c.name + ".scr */");
        std::string upper = c.name;
        for (char& ch : upper)
            ch = static_cast<char>(toupper(static_cast<unsigned char>(ch)));
        body += "    fwrite(" + c.name + ", 1, " + upper + "_LENGTH, stdout);\n";
        body += "    if (sizeof " + c.name + " != " + upper + "_LENGTH) return 1;\n";
        expected.insert(expected.end(), c.bytes.begin(), c.bytes.end());
    }
    program += "int main(void) {\n" + body + "    return 0;\n}\n";
    scratch.Write("all.c", program);
    const auto build =
        RunTool("gcc -std=c99 -Wall -Wextra -Werror -o " + (scratch / "all") + " " + (scratch / "all.c"));
    ASSERT_EQ(build.status, 0) << build.output;
    const auto run = RunTool(scratch / "all" + " > " + (scratch / "all.bin"));
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(scratch.Read("all.bin"), expected);
}

// sdcc compiles for the Z80; its assembler listing holds each array's bytes as
// .db lines after the array's label, which are read back.
TEST(CSource, SdccCompilesEveryPartAndOrderToTheBytes) {
    Scratch scratch;
    std::string program;
    const auto cases = EveryPartAndOrder();
    for (const auto& c : cases)
        program += CSource(c.name, c.bytes, c.name);
    scratch.Write("all.c", program);
    const auto build = RunTool("cd " + (scratch / "") + " && sdcc -mz80 -S all.c");
    ASSERT_EQ(build.status, 0) << build.output;
    std::ifstream listing(scratch / "all.asm");
    std::map<std::string, Bytes> arrays;
    Bytes* current = nullptr;
    for (std::string line; std::getline(listing, line);) {
        if (!line.empty() && line[0] == '_' && line.back() == ':') {
            current = &arrays[line.substr(1, line.size() - 2)];
            continue;
        }
        std::istringstream words(line);
        std::string directive;
        words >> directive;
        if (current == nullptr || directive != ".db")
            continue;
        for (std::string value; std::getline(words >> std::ws, value, ',');)
            current->push_back(static_cast<std::uint8_t>(std::stoul(value.substr(value.find("0x")), nullptr, 16)));
    }
    for (const auto& c : cases)
        EXPECT_EQ(arrays[c.name], c.bytes) << c.name;
}

}  // namespace
}  // namespace exporter
