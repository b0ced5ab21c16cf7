// The program as a user meets it: split and join, and every way a command can
// fail, each with its message and status and with every file left as it was.

#include <gtest/gtest.h>

#include <cctype>
#include <sstream>

#include <sys/stat.h>
#include <unistd.h>

#include "scrtool/scrtool_test_support.h"

namespace scrtool::testing {
namespace {

TEST(SplitJoin, JoinOfSplitGivesEveryRealScreenBack) {
    TempFolder folder;
    for (const RealScreen& real : RealScreens()) {
        const std::string input = folder / (real.name + ".scr");
        WriteBytes(input, ToBytes(real.bytes));
        const RunResult split = RunTool({"split", input});
        ASSERT_EQ(split.status, 0) << split.err;
        const Bytes bitmap = ReadBytes(folder / (real.name + ".screen"));
        const Bytes attributes = ReadBytes(folder / (real.name + ".attr"));
        EXPECT_EQ(bitmap, Bytes(real.bytes.begin(), real.bytes.begin() + 6144)) << real.name;
        EXPECT_EQ(attributes, Bytes(real.bytes.begin() + 6144, real.bytes.end())) << real.name;
        const RunResult join = RunTool({"join", folder / (real.name + ".screen"), folder / (real.name + ".attr"), "-o",
                                        folder / (real.name + ".joined")});
        ASSERT_EQ(join.status, 0) << join.err;
        EXPECT_EQ(ReadBytes(folder / (real.name + ".joined")), ToBytes(real.bytes)) << real.name;
    }
}

TEST(SplitJoin, NamesFollowTheWindowsRule) {
    TempFolder folder;
    std::filesystem::create_directory(folder / "my.pics");
    const Bytes screen = ToBytes(RealScreens()[2].bytes);
    for (const char* name : {"a.b.scr", "title.", "my.pics/title", "title.scr old"})
        WriteBytes(folder / name, screen);
    const RunResult run =
        RunTool({"split", folder / "a.b.scr", folder / "title.", folder / "my.pics/title", folder / "title.scr old"});
    ASSERT_EQ(run.status, 0) << run.err;
    for (const char* base : {"a.b", "title", "my.pics/title", "title.scr old"}) {
        EXPECT_EQ(ReadBytes(folder / (std::string(base) + ".screen")).size(), 6144u) << base;
        EXPECT_EQ(ReadBytes(folder / (std::string(base) + ".attr")).size(), 768u) << base;
    }
}

TEST(SplitJoin, SplitNeverWritesOverItsOwnInput) {
    // "a.screen" splits into "a.screen" and "a.attr": the screen would be lost.
    TempFolder folder;
    const Bytes screen = ToBytes(RealScreens()[0].bytes);
    WriteBytes(folder / "a.screen", screen);
    const RunResult run = RunTool({"split", folder / "a.screen"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("a.screen: split would write over this file itself"), std::string::npos) << run.err;
    EXPECT_EQ(ReadBytes(folder / "a.screen"), screen);
}

// A command that must fail: its status, a part of its message, and no file changed.
struct Failing {
    std::string label;
    std::vector<std::string> args;  // "@" stands for the test folder
    int status;
    std::string message;
};

// Test lists name the case rather than dumping its bytes.
void PrintTo(const Failing& failing, std::ostream* out) { *out << failing.label; }

class FailingCommand : public ::testing::TestWithParam<Failing> {};

TEST_P(FailingCommand, SaysWhyAndTouchesNothing) {
    TempFolder folder;
    const Bytes screen = ToBytes(RealScreens()[3].bytes);
    WriteBytes(folder / "good.scr", screen);
    WriteBytes(folder / "short.scr", Bytes(screen.begin(), screen.end() - 1));
    Bytes longer = screen;
    longer.push_back(0);
    WriteBytes(folder / "long.scr", longer);
    WriteBytes(folder / "empty.scr", {});
    WriteBytes(folder / "bitmap.screen", Bytes(screen.begin(), screen.begin() + 6144));
    WriteBytes(folder / "attr.attr", Bytes(screen.begin() + 6144, screen.end()));
    // Files of other modes, and one of a size no mode of its name has.
    Bytes twoScreens = screen;
    twoScreens.insert(twoScreens.end(), screen.begin(), screen.end());
    WriteBytes(folder / "giga.img", twoScreens);
    Bytes ulaPlus = screen;
    ulaPlus.resize(6976, 0x3f);
    WriteBytes(folder / "palette.scr", ulaPlus);
    WriteBytes(folder / "odd.img", Bytes(screen.begin(), screen.end() - 100));
    std::filesystem::create_directory(folder / "folder.scr");
    const auto before = folder.Snapshot();
    std::vector<std::string> args;
    for (const std::string& arg : GetParam().args)
        args.push_back(arg[0] == '@' ? folder.path().string() + arg.substr(1) : arg);
    const RunResult run = RunTool(args);
    EXPECT_EQ(run.status, GetParam().status) << run.err;
    EXPECT_NE(run.err.find(GetParam().message), std::string::npos) << run.err;
    EXPECT_EQ(run.err.rfind("scrtool: ", 0), 0u) << run.err;
    EXPECT_EQ(folder.Snapshot(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Refusals, FailingCommand,
    ::testing::Values(
        Failing{"Short",
                {"invert", "@/short.scr", "--in-place"},
                1,
                "short.scr: not a screen file (6911 bytes, a screen is 6912)\n"},
        Failing{"Long",
                {"optimize", "@/long.scr", "--in-place"},
                1,
                "long.scr: not a screen file (6913 bytes, a screen is 6912)\n"},
        Failing{"Empty", {"mirror", "@/empty.scr", "-o", "@/out.scr"}, 1, "empty.scr: not a screen file (0 bytes"},
        Failing{"Missing", {"mask", "@/none.scr", "--in-place"}, 1, "none.scr: cannot read: No such file or directory"},
        Failing{"Folder", {"contour", "@/folder.scr", "--in-place"}, 1, "folder.scr: is a folder, not a file"},
        Failing{"NoOutputSaid", {"invert", "@/good.scr"}, 2, "-o OUT (one file) or --in-place"},
        Failing{"BadIndex", {"byte-op", "9", "1", "2", "@/good.scr", "--in-place"}, 2, "bad byte operation index '9'"},
        Failing{
            "TextIndex", {"byte-op", "ink", "1", "2", "@/good.scr", "--in-place"}, 2, "bad byte operation index 'ink'"},
        Failing{"UnknownOption",
                {"invert", "@/good.scr", "--in-place", "--force"},
                2,
                "unknown option '--force' for 'invert'"},
        Failing{"UnknownCommand", {"rotate", "@/good.scr"}, 2, "unknown command 'rotate'"},
        Failing{"BadScale", {"png", "@/good.scr", "--scale", "12"}, 2, "bad scale '12'"},
        Failing{"BadPalette", {"png", "@/good.scr", "--palette", "cga"}, 2, "unknown palette 'cga'"},
        // Another mode is named, with what the command works on; a size no
        // mode of the name has keeps the line every wrong size gets.
        Failing{"OtherMode",
                {"byte-op", "1", "0", "7", "@/giga.img", "--in-place"},
                1,
                "giga.img: gigascreen (13824 bytes): byte-op works on the classic screen (6912 bytes)\n"},
        Failing{"OtherModeSplit",
                {"split", "@/palette.scr"},
                1,
                "palette.scr: ulaplus (6976 bytes): split works on the classic screen (6912 bytes)\n"},
        Failing{"NoModeOfItsName",
                {"mirror", "@/odd.img", "-o", "@/out.scr"},
                1,
                "odd.img: not a screen file (6812 bytes, a screen is 6912)\n"},
        Failing{"StdinEmpty",
                {"invert", "-", "-o", "@/out.scr"},
                1,
                "standard input: not a screen file (0 bytes, a screen is 6912)"},
        Failing{"JoinSwapped",
                {"join", "@/attr.attr", "@/bitmap.screen", "-o", "@/out.scr"},
                1,
                "attr.attr: not a bitmap file (768 bytes, a bitmap file is 6144)"},
        Failing{"JoinScreen",
                {"join", "@/bitmap.screen", "@/good.scr", "-o", "@/out.scr"},
                1,
                "good.scr: not an attribute file (6912 bytes, an attribute file is 768)"},
        Failing{"SplitShort", {"split", "@/short.scr"}, 1, "short.scr: not a screen file"},
        Failing{"PngMissing", {"png", "@/none.scr"}, 1, "none.scr: cannot read"},
        Failing{"InfoFolder", {"info", "@/folder.scr"}, 1, "folder.scr: is a folder"},
        Failing{"ThumbnailShort", {"thumbnail", "@/short.scr", "@/t.png", "128"}, 1, "short.scr: not a screen file"},
        Failing{
            "OutputInMissingFolder", {"invert", "@/good.scr", "-o", "@/no/such/out.scr"}, 1, "out.scr: cannot write"}),
    [](const auto& info) { return info.param.label; });

TEST(Failures, AFailedFileNeverStopsTheOthers) {
    TempFolder folder;
    const RealScreen& real = RealScreens()[4];
    WriteBytes(folder / "a.scr", ToBytes(real.bytes));
    WriteBytes(folder / "b.scr", {1, 2, 3});
    WriteBytes(folder / "c.scr", ToBytes(real.bytes));
    const RunResult run = RunTool({"invert", "--in-place", folder / "a.scr", folder / "b.scr", folder / "c.scr"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "scrtool: " + folder / "b.scr" + ": not a screen file (3 bytes, a screen is 6912)\n");
    EXPECT_EQ(ReadBytes(folder / "b.scr"), (Bytes{1, 2, 3}));
    for (const char* name : {"a.scr", "c.scr"}) {
        const Bytes after = ReadBytes(folder / name);
        ASSERT_EQ(after.size(), 6912u);
        EXPECT_EQ(after[0], static_cast<std::uint8_t>(~real.bytes[0])) << name;
    }
}

TEST(Failures, UnreadableFileIsReportedAndLeftAlone) {
    // Root reads files whatever their permissions, so the program runs as nobody then.
    TempFolder folder;
    std::filesystem::permissions(folder.path(), std::filesystem::perms(0777));
    WriteBytes(folder / "locked.scr", ToBytes(RealScreens()[0].bytes));
    ::chmod((folder / "locked.scr").c_str(), 0);
    const RunResult run = RunTool({"invert", "--in-place", folder / "locked.scr"}, {}, {}, RunAs::Nobody);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("locked.scr: cannot read: Permission denied"), std::string::npos) << run.err;
    ::chmod((folder / "locked.scr").c_str(), 0600);
    EXPECT_EQ(ReadBytes(folder / "locked.scr"), ToBytes(RealScreens()[0].bytes));
}

TEST(Conventions, HelpAndVersionGoToStandardOutput) {
    const RunResult version = RunTool({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, std::string("scrtool (scrlab) ") + SCRLAB_PROJECT_VERSION + "\n");
    for (const char* command : {"invert", "byte-op", "split", "join", "png", "info", "check", "thumbnail"}) {
        const RunResult help = RunTool({"help", command});
        EXPECT_EQ(help.status, 0) << command;
        EXPECT_NE(help.out.find(std::string("scrtool ") + command), std::string::npos) << command;
        EXPECT_EQ(RunTool({command, "--help"}).out, help.out) << command;
    }
    EXPECT_NE(RunTool({"help", "png"}).out.find("spectralab 215"), std::string::npos);
}

// Below a command's first option, a line is an option, a choice listed under
// one (in the options' help column) or the transforms' closing line.
TEST(Conventions, ChoicesAreListedUnderTheirOption) {
    std::istringstream overview(RunTool({"help"}).out);
    std::vector<std::string> commands;
    for (std::string line; std::getline(overview, line);)
        if (line.size() > 2 && line.starts_with("  ") && std::islower(static_cast<unsigned char>(line[2])))
            commands.push_back(line.substr(2, line.find(' ', 2) - 2));
    ASSERT_GE(commands.size(), 15u);
    for (const std::string& command : commands) {
        std::istringstream help(RunTool({"help", command}).out);
        bool options = false;
        for (std::string line; std::getline(help, line);) {
            options = options || line.starts_with("  -");
            if (options && !line.starts_with("  -")) {
                EXPECT_TRUE(line.starts_with(std::string(23, ' ')) || line.starts_with("Without -o"))
                    << command << ": " << line;
            }
        }
    }
}

}  // namespace
}  // namespace scrtool::testing
