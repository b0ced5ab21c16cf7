// The man page is written by hand (troff), so it is read back here as plain
// text and must carry every row of the command, option and operation tables:
// a command, option, choice or summary added or reworded in a table and not
// in the page fails.

#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "modes/picture_modes.h"
#include "scrtool/command_table.h"
#include "scrtool/import_modes.h"

namespace scrtool {
namespace {

std::string ReplaceAll(std::string text, std::string_view from, std::string_view to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

// A macro's arguments: words, or "quoted words" as one.
std::vector<std::string> MacroArguments(std::string_view line) {
    std::vector<std::string> arguments;
    std::size_t i = 0;
    while (i < line.size()) {
        if (line[i] == ' ') {
            ++i;
            continue;
        }
        const bool quoted = line[i] == '"';
        const std::size_t start = quoted ? i + 1 : i;
        const std::size_t end = line.find(quoted ? '"' : ' ', start);
        arguments.emplace_back(line.substr(start, end == line.npos ? line.npos : end - start));
        i = end == line.npos ? line.size() : end + 1;
    }
    return arguments;
}

// The words a reader sees, lower case, one blank between them.
std::string PlainText(std::istream& page) {
    std::string text;
    std::string line;
    while (std::getline(page, line)) {
        if (line.starts_with(".")) {
            const std::size_t space = line.find(' ');
            const std::string macro = line.substr(1, space == line.npos ? line.npos : space - 1);
            const std::vector<std::string> arguments =
                MacroArguments(space == line.npos ? "" : std::string_view(line).substr(space + 1));
            // .B and .I set their words in one font; .BR, .IR and the like
            // alternate two fonts between arguments with nothing between.
            const bool alternating = macro.size() == 2 && std::string("BIR").find(macro[0]) != std::string::npos;
            const bool font = alternating || macro == "B" || macro == "I";
            line.clear();
            for (std::size_t i = 0; font && i < arguments.size(); ++i)
                line += (i > 0 && !alternating ? " " : "") + arguments[i];
            if (macro == "SH" || macro == "SS")
                line = arguments.empty() ? "" : arguments[0];
        }
        text += line + " ";
    }
    for (const auto& [escape, plain] : std::vector<std::pair<std::string_view, std::string_view>>{{"\\-", "-"},
                                                                                                  {"\\~", " "},
                                                                                                  {"\\(mu", "x"},
                                                                                                  {"\\(aq", "'"},
                                                                                                  {"\\(dq", "\""},
                                                                                                  {"\\fB", ""},
                                                                                                  {"\\fI", ""},
                                                                                                  {"\\fR", ""},
                                                                                                  {"\\fP", ""},
                                                                                                  {"\\&", ""},
                                                                                                  {"\\e", "\\"}})
        text = ReplaceAll(text, escape, plain);
    std::string plain;
    for (const char c : text)
        if (!(c == ' ' && (plain.empty() || plain.back() == ' ')))
            plain += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return plain;
}

std::string Lower(std::string_view text) {
    std::string lower;
    for (const char c : text)
        lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    // A help line that introduces a table ends in a colon; the page may not.
    if (lower.ends_with(':'))
        lower.pop_back();
    return lower;
}

class ManPage : public ::testing::Test {
protected:
    void SetUp() override {
        std::ifstream in(SCRTOOL_MAN_PAGE);
        ASSERT_TRUE(in) << SCRTOOL_MAN_PAGE;
        page = PlainText(in);
    }
    void ExpectSays(std::string_view what, std::string_view where) const {
        EXPECT_NE(page.find(Lower(what)), std::string::npos)
            << "the man page lacks \"" << what << "\" (" << where << ")";
    }
    std::string page;
};

TEST_F(ManPage, ReadsAsPlainText) {
    std::istringstream sample(".TP\n.BI \\-o \" OUT\" \"\\fR, \\fP\\-\\-output \" OUT\nWrites the result to\n"
                              ".IR OUT ;\ntakes \\fIone\\fP input.\n.BR \\-\\-view \" \" colour | mono\n");
    EXPECT_EQ(PlainText(sample), "-o out, --output out writes the result to out; takes one input. --view colour|mono ");
}

TEST_F(ManPage, NamesEveryCommandOperationAndSummary) {
    for (const CommandSpec& command : Commands) {
        ExpectSays(command.name, "a command");
        if (command.operation) {
            ExpectSays(command.operation->menuTitle, command.name);
            ExpectSays(command.operation->summary, command.name);
        }
    }
    for (std::size_t index = MinByteOpIndex; index < screen::ByteOperations.size(); ++index) {
        ExpectSays(screen::ByteOperations[index].listText, "byte-op");
        ExpectSays(screen::ByteOperations[index].summary, screen::ByteOperations[index].listText);
    }
}

TEST_F(ManPage, DescribesEveryOptionWithItsChoicesAndRange) {
    for (const OptionSpec& option : Options) {
        for (std::string_view name : Words(option.names))
            ExpectSays(name, "an option");
        ExpectSays(option.help, option.names);
        for (std::string_view choice : ChoicesOf(option))
            ExpectSays(choice, option.names);
        if (option.kind == ValueKind::Number)
            ExpectSays(std::to_string(option.low) + " to " + std::to_string(option.high), option.names);
    }
}

// Each mode import writes has a section of its own, titled with its name, its
// extension and its file's size: a mode added to import without one fails,
// and so does a title whose size is not the file's.
TEST(ManPageSections, EachModeImportWritesHasOneTitledWithItsFile) {
    std::ifstream in(SCRTOOL_MAN_PAGE);
    ASSERT_TRUE(in) << SCRTOOL_MAN_PAGE;
    std::vector<std::string> titles;
    for (std::string line; std::getline(in, line);)
        if (line.starts_with(".SS ")) {
            const std::vector<std::string> arguments = MacroArguments(line.substr(4));
            titles.push_back(ReplaceAll(arguments.empty() ? "" : arguments[0], "\\-", "-"));
        }
    for (const ImportMode& mode : ImportModes()) {
        const modes::PictureMode* row = modes::ModeNamed(mode.name);
        ASSERT_NE(row, nullptr) << mode.name;
        ASSERT_FALSE(row->sizes.empty()) << mode.name;
        const std::string title = std::string(mode.name) + " (" + std::string(mode.extension) + ", " +
                                  std::to_string(row->sizes.front()) + " bytes)";
        EXPECT_EQ(std::count(titles.begin(), titles.end(), title), 1) << "no one section titled \"" << title << "\"";
    }
}

}  // namespace
}  // namespace scrtool
