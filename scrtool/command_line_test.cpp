#include "scrtool/command_line.h"

#include <algorithm>
#include <cctype>

#include <gtest/gtest.h>

namespace scrtool {
namespace {

using Args = std::vector<std::string>;

struct Refused {
    Args args;
    std::string error;  // a part of the message that names the fault
};

void PrintTo(const Refused& refused, std::ostream* out) { *out << refused.error; }

class RefusedCommandLine : public ::testing::TestWithParam<Refused> {};

TEST_P(RefusedCommandLine, NamesTheFault) {
    const Parsed parsed = ParseArguments(GetParam().args);
    EXPECT_FALSE(parsed.invocation);
    EXPECT_NE(parsed.error.find(GetParam().error), std::string::npos) << parsed.error;
}

INSTANTIATE_TEST_SUITE_P(
    Usage, RefusedCommandLine,
    ::testing::Values(
        Refused{{}, "no command given"}, Refused{{"frobnicate", "a.scr"}, "unknown command 'frobnicate'"},
        Refused{{"--frobnicate"}, "unknown option '--frobnicate'"},
        Refused{{"invert", "a.scr"}, "-o OUT (one file) or --in-place"}, Refused{{"invert"}, "no screen file given"},
        Refused{{"invert", "a.scr", "-o", "b.scr", "--in-place"}, "either -o or --in-place"},
        Refused{{"invert", "a.scr", "b.scr", "-o", "c.scr"}, "-o takes exactly one input"},
        Refused{{"invert", "a.scr", "-o"}, "needs a value"},
        Refused{{"invert", "a.scr", "-o", "x", "-o", "y"}, "given twice"},
        Refused{{"invert", "-", "--in-place"}, "standard input cannot be rewritten"},
        Refused{{"invert", "-", "-", "-o", "x"}, "only once"},
        Refused{{"invert", "a.scr", "--grid", "-o", "b"}, "unknown option '--grid' for 'invert'"},
        Refused{{"invert", "a.scr", "--in-place=yes"}, "takes no value"},
        Refused{{"mirror", "a.scr", "-x", "--in-place"}, "unknown option '-x'"},
        Refused{{"byte-op", "0", "1", "2", "a.scr", "--in-place"}, "bad byte operation index '0'"},
        Refused{{"byte-op", "8", "1", "2", "a.scr", "--in-place"}, "bad byte operation index '8'"},
        Refused{{"byte-op", "x", "1", "2", "a.scr", "--in-place"}, "bad byte operation index 'x'"},
        Refused{{"byte-op", "1x", "1", "2", "a.scr", "--in-place"}, "bad byte operation index '1x'"},
        Refused{{"byte-op", "", "1", "2", "a.scr", "--in-place"}, "bad byte operation index ''"},
        Refused{{"byte-op", "-1", "1", "2", "a.scr", "--in-place"}, "bad byte operation index '-1'"},
        Refused{{"byte-op", "1", "2"}, "INDEX B1 B2"}, Refused{{"byte-op", "1", "2", "3"}, "no screen file given"},
        Refused{{"export", "a.scr", "-o", "x"}, "unknown FORMAT"},
        Refused{{"export", "asm", "a.scr"}, "-o OUT (one file) or --out-dir DIR"},
        Refused{{"export", "bin", "-", "--out-dir", "d"}, "standard input needs -o OUT"},
        Refused{{"export", "bin", "a.scr", "--part", "ink", "-o", "x"}, "unknown part 'ink'"},
        Refused{{"export", "tap", "a.scr", "--order", "linear", "-o", "x"}, "--part and --order do not apply"},
        Refused{{"export", "tap", "a.scr", "--name", "Eleven char", "-o", "x"}, "bad tape name 'Eleven char'"},
        Refused{{"export", "bin", "a.scr", "--name", "x", "-o", "x"}, "--name names the blocks of a tap"},
        Refused{{"export", "asm", "a.scr", "--classic", "-o", "x"}, "are for zx0"},
        Refused{{"export", "zx0", "a.scr", "--rcs", "--order", "linear", "-o", "x"}, "not with --order linear"},
        Refused{{"export", "zx0", "a.scr", "--rcs", "--part", "attributes", "-o", "x"}, "not with --part attributes"},
        Refused{{"extract"}, "no tape or snapshot file given"}, Refused{{"extract", "-"}, "cannot read standard input"},
        Refused{{"extract", "a.tap", "--list", "--out-dir", "d"}, "--list writes nothing"},
        Refused{{"extract", "a.tap", "-o", "x"}, "unknown option '-o' for 'extract'"},
        Refused{{"split", "-"}, "cannot read standard input"},
        Refused{{"split", "a.scr", "-o", "x"}, "unknown option '-o' for 'split'"},
        Refused{{"join", "a.screen", "a.attr"}, "join needs -o OUT"},
        Refused{{"join", "a.screen", "-o", "x"}, "a bitmap file and an attribute file"},
        Refused{{"png", "a.scr", "--scale", "0"}, "bad scale '0'"},
        Refused{{"png", "a.scr", "--scale", "9"}, "bad scale '9'"},
        Refused{{"png", "a.scr", "--scale=2x"}, "bad scale '2x'"},
        Refused{{"png", "a.scr", "--scale"}, "needs a value"},
        Refused{{"png", "a.scr", "--palette", "vga"}, "unknown palette 'vga'"},
        Refused{{"png", "a.scr", "--view", "grey"}, "unknown view 'grey'"},
        Refused{{"png", "a.scr", "b.scr", "-o", "x.png"}, "use --out-dir"},
        Refused{{"png", "a.scr", "-o", "x.png", "--out-dir", "d"}, "either -o or --out-dir"},
        Refused{{"png", "-"}, "needs -o OUT.png"},
        Refused{{"png", "a.scr", "--palette", "auto"}, "unknown palette 'auto'"},
        Refused{{"import"}, "no picture file given"},
        Refused{{"import", "a.png", "--in-place"}, "unknown option '--in-place' for 'import'"},
        Refused{{"import", "-"}, "needs -o OUT.scr"},
        Refused{{"import", "a.png", "b.png", "-o", "x.scr"}, "use --out-dir"},
        Refused{{"import", "a.png", "--background", "red"}, "bad background colour 'red' (#RRGGBB)"},
        Refused{{"import", "a.png", "--background", "#12345"}, "bad background colour"},
        Refused{{"import", "a.png", "--dither", "atkinson"}, "unknown dither 'atkinson'"},
        Refused{{"import", "a.png", "--fit", "fill"}, "unknown fit 'fill' (contain, cover or stretch)"},
        Refused{{"info", "a.scr", "--require", "no-flash"}, "unknown option '--require' for 'info'"},
        Refused{{"check", "a.scr"}, "--require NAME"},
        Refused{{"check", "a.scr", "--require", "pretty"}, "unknown condition 'pretty'"},
        Refused{{"check", "--require", "no-flash"}, "no screen file given"},
        Refused{{"thumbnail", "a.scr", "a.png"}, "INPUT OUTPUT SIZE"},
        Refused{{"thumbnail", "a.scr", "a.png", "0"}, "bad thumbnail size '0'"},
        Refused{{"thumbnail", "a.scr", "a.png", "4097"}, "bad thumbnail size '4097'"},
        Refused{{"thumbnail", "a.scr", "a.png", "big"}, "bad thumbnail size 'big'"},
        Refused{{"thumbnail", "-", "a.png", "128"}, "named files only"},
        Refused{{"png", "a.scr", "--view", "mono", "--view=colour"}, "option '--view' given twice"},
        Refused{{"png", "a.scr", "--palette", "fuse", "--palette", "fuse"}, "option '--palette' given twice"},
        Refused{{"png", "--scale", "3", "a.scr", "--scale", "3"}, "option '--scale' given twice"},
        Refused{{"png", "a.scr", "--grid", "--grid"}, "option '--grid' given twice"},
        Refused{{"byte-op", "-o", "x", "1", "2"}, "INDEX B1 B2"},
        Refused{{"thumbnail", "a.scr", "a.png", "-5"}, "bad thumbnail size '-5' (a whole number from 1 to 4096)"},
        Refused{{"help", "frobnicate"}, "unknown command 'frobnicate'"},
        Refused{{"--version", "x"}, "takes no arguments"}));

TEST(CommandLine, ByteOpTakesTheThreeArgumentsAfterItAsTheyStand) {
    // Operands that look like options are numbers in the window's fields.
    const Parsed parsed = ParseArguments({"byte-op", "4", "-1", "-$10", "a.scr", "-o", "-"});
    ASSERT_TRUE(parsed.invocation) << parsed.error;
    const Invocation& inv = *parsed.invocation;
    EXPECT_EQ(inv.command->action, Action::ByteOp);
    EXPECT_EQ(inv.byteOpIndex, 4);
    EXPECT_EQ(inv.b1, "-1");
    EXPECT_EQ(inv.b2, "-$10");
    EXPECT_EQ(inv.inputs, Args{"a.scr"});
    EXPECT_EQ(inv.output, "-");
}

TEST(CommandLine, OptionsMayComeBeforeTheOperandsAndFiles) {
    // The same command spelled three ways; "--" lets -1 through whatever follows.
    for (const Args& args : {Args{"byte-op", "2", "255", "5", "in.scr", "-o", "out.scr"},
                             Args{"byte-op", "-o", "out.scr", "2", "255", "5", "in.scr"},
                             Args{"byte-op", "-o", "out.scr", "--", "2", "255", "5", "in.scr"}}) {
        const Parsed parsed = ParseArguments(args);
        ASSERT_TRUE(parsed.invocation) << parsed.error;
        EXPECT_EQ(parsed.invocation->byteOpIndex, 2);
        EXPECT_EQ(parsed.invocation->b1, "255");
        EXPECT_EQ(parsed.invocation->b2, "5");
        EXPECT_EQ(parsed.invocation->inputs, Args{"in.scr"});
        EXPECT_EQ(parsed.invocation->output, "out.scr");
    }
    const Parsed dashes = ParseArguments({"byte-op", "-o", "out.scr", "--", "2", "255", "-1", "in.scr"});
    ASSERT_TRUE(dashes.invocation) << dashes.error;
    EXPECT_EQ(dashes.invocation->b2, "-1");
    EXPECT_EQ(dashes.invocation->inputs, Args{"in.scr"});
    const Parsed png = ParseArguments({"png", "--scale", "3", "--view", "mono", "a.scr", "--grid", "b.scr"});
    ASSERT_TRUE(png.invocation) << png.error;
    EXPECT_EQ(png.invocation->inputs, (Args{"a.scr", "b.scr"}));
    EXPECT_EQ(png.invocation->scale, 3);
}

TEST(CommandLine, ByteOpKeepsBlankAndBadOperandTextsForTheWindowsReader) {
    const Parsed parsed = ParseArguments({"byte-op", "7", "", "  %2x", "a.scr", "b.scr", "--in-place"});
    ASSERT_TRUE(parsed.invocation) << parsed.error;
    EXPECT_EQ(parsed.invocation->b1, "");
    EXPECT_EQ(parsed.invocation->b2, "  %2x");
    EXPECT_EQ(parsed.invocation->inputs, (Args{"a.scr", "b.scr"}));
    EXPECT_TRUE(parsed.invocation->inPlace);
}

TEST(CommandLine, DoubleDashMakesEverythingAfterItAFile) {
    const Parsed parsed = ParseArguments({"invert", "--in-place", "--", "-o", "--grid"});
    ASSERT_TRUE(parsed.invocation) << parsed.error;
    EXPECT_EQ(parsed.invocation->inputs, (Args{"-o", "--grid"}));
    EXPECT_FALSE(parsed.invocation->output);
}

TEST(CommandLine, PngOptionsInBothSpellings) {
    const Parsed parsed = ParseArguments(
        {"png", "a.scr", "--view=mono", "--scale", "3", "--grid", "--palette=fuse", "--out-dir", "pics"});
    ASSERT_TRUE(parsed.invocation) << parsed.error;
    const Invocation& inv = *parsed.invocation;
    EXPECT_EQ(inv.view, View::Mono);
    EXPECT_EQ(inv.scale, 3);
    EXPECT_TRUE(inv.grid);
    EXPECT_EQ(inv.palette->name, "fuse");
    EXPECT_EQ(inv.palette->levels.normalLevel, 192);
    EXPECT_EQ(inv.outDir, "pics");
}

// Each choice lands on its own value: a slip in a setter's table would swap two.
TEST(CommandLine, ImportOptionsReachTheirChoices) {
    const Parsed parsed = ParseArguments({"import", "a.png", "--palette", "rustzx", "--fit=cover", "--dither", "bayer",
                                          "--bright", "never", "--strict", "--background", "#10A0ff"});
    ASSERT_TRUE(parsed.invocation) << parsed.error;
    const Invocation& inv = *parsed.invocation;
    EXPECT_EQ(inv.importPalette->levels.normalLevel, 205);
    EXPECT_EQ(inv.fit, picture_in::Fit::Cover);
    EXPECT_EQ(inv.dither, picture_in::Dither::Bayer);
    EXPECT_EQ(inv.bright, picture_in::Bright::Never);
    EXPECT_TRUE(inv.strict);
    EXPECT_EQ(inv.backgroundColour, (render::Rgb{0x10, 0xA0, 0xFF}));
    const Parsed defaults = ParseArguments(
        {"import", "a.png", "--palette", "auto", "--fit", "stretch", "--dither", "none", "--bright", "always"});
    ASSERT_TRUE(defaults.invocation) << defaults.error;
    EXPECT_EQ(defaults.invocation->importPalette, nullptr);
    EXPECT_EQ(defaults.invocation->fit, picture_in::Fit::Stretch);
    EXPECT_EQ(defaults.invocation->dither, picture_in::Dither::None);
    EXPECT_EQ(defaults.invocation->bright, picture_in::Bright::Always);
    const Parsed plain = ParseArguments({"import", "a.png"});
    ASSERT_TRUE(plain.invocation);
    EXPECT_EQ(plain.invocation->dither, picture_in::Dither::Refined);
    EXPECT_EQ(plain.invocation->fit, picture_in::Fit::Contain);
}

TEST(CommandLine, PngDefaultsAreTheWindowsView) {
    const Parsed parsed = ParseArguments({"png", "a.scr"});
    ASSERT_TRUE(parsed.invocation) << parsed.error;
    EXPECT_EQ(parsed.invocation->view, View::Colour);
    EXPECT_EQ(parsed.invocation->scale, 2);
    EXPECT_FALSE(parsed.invocation->grid);
    EXPECT_EQ(parsed.invocation->palette->levels.normalLevel, 127);
    EXPECT_EQ(parsed.invocation->palette->levels.brightLevel, 255);
}

TEST(CommandLine, CheckConditionsAreOptionsSoFilesMayHaveAnyName) {
    const Parsed parsed = ParseArguments(
        {"check", "no-flash", "--require", "no-flash", "--require=optimized", "x.scr", "--require", "no-flash"});
    ASSERT_TRUE(parsed.invocation) << parsed.error;
    EXPECT_EQ(parsed.invocation->inputs, (Args{"no-flash", "x.scr"}));
    EXPECT_EQ(parsed.invocation->conditions, (std::vector{Condition::NoFlash, Condition::Optimized}));
}

TEST(CommandLine, ThumbnailTakesInputOutputAndSize) {
    const Parsed parsed = ParseArguments({"thumbnail", "/a/b.scr", "/c/d.png", "128"});
    ASSERT_TRUE(parsed.invocation) << parsed.error;
    EXPECT_EQ(parsed.invocation->inputs, Args{"/a/b.scr"});
    EXPECT_EQ(parsed.invocation->output, "/c/d.png");
    EXPECT_EQ(parsed.invocation->thumbnailSize, 128);
}

// Every row of the table, so a new command is covered as it is added.
TEST(CommandLine, HelpForEveryCommandInEveryForm) {
    for (const CommandSpec& command : Commands) {
        if (command.action == Action::Help || command.action == Action::Version)
            continue;
        const std::string name(command.name);
        for (const Args& args : {Args{"help", name}, Args{name, "--help"}, Args{name, "a.scr", "-h"}}) {
            const Parsed parsed = ParseArguments(args);
            ASSERT_TRUE(parsed.invocation) << name << ": " << parsed.error;
            EXPECT_EQ(parsed.invocation->command->action, Action::Help) << name;
            ASSERT_TRUE(parsed.invocation->topic) << name;
            EXPECT_EQ(parsed.invocation->topic->name, name);
        }
    }
    for (const Args& args : {Args{"--help"}, Args{"-h"}, Args{"help"}}) {
        const Parsed parsed = ParseArguments(args);
        ASSERT_TRUE(parsed.invocation);
        EXPECT_EQ(parsed.invocation->command->action, Action::Help);
        EXPECT_FALSE(parsed.invocation->topic);
    }
    EXPECT_EQ(ParseArguments({"--version"}).invocation->command->action, Action::Version);
}

}  // namespace
}  // namespace scrtool

namespace scrtool {
namespace {

// What the parser and a completion generator take on trust from the rows: a
// misspelt command in takenBy would silently take an option away, and an
// option spelled like a number would make "-1" ambiguous.
TEST(CommandTables, EveryRowIsUsable) {
    std::vector<std::string_view> names;
    for (const CommandSpec& command : Commands) {
        EXPECT_EQ(std::count(names.begin(), names.end(), command.name), 0) << command.name;
        names.push_back(command.name);
        EXPECT_TRUE(command.check || command.action == Action::Help || command.action == Action::Version)
            << command.name;
        EXPECT_EQ(command.action == Action::Transform, command.operation != nullptr) << command.name;
    }
    // Each spelling with the commands of its rows: one row per command.
    std::vector<std::string> spellings;
    for (const OptionSpec& option : Options) {
        for (std::string_view taker : Words(option.takenBy))
            EXPECT_TRUE(taker == "transforms" || CommandNamed(taker)) << option.names << ": " << taker;
        for (std::string_view name : Words(option.names)) {
            for (const CommandSpec& command : Commands)
                if (Takes(command, option)) {
                    const std::string key = std::string(name) + " " + std::string(command.name);
                    EXPECT_EQ(std::count(spellings.begin(), spellings.end(), key), 0) << key;
                    spellings.push_back(key);
                }
            EXPECT_TRUE(name.starts_with("-") && name != "--" && name != "-h" && name != "--help") << name;
            EXPECT_FALSE(name.size() > 1 &&
                         (std::isdigit(static_cast<unsigned char>(name[1])) || name[1] == '$' || name[1] == '%'))
                << name << " looks like a negative number";
        }
        switch (option.kind) {
        case ValueKind::Flag: EXPECT_TRUE(option.flag) << option.names; break;
        case ValueKind::Number: EXPECT_TRUE(option.number && option.low <= option.high) << option.names; break;
        case ValueKind::Choice:
            EXPECT_TRUE(option.choose || option.number) << option.names;
            EXPECT_FALSE(ChoicesOf(option).empty()) << option.names;
            break;
        default: EXPECT_TRUE(option.text) << option.names; break;
        }
    }
}

}  // namespace
}  // namespace scrtool
