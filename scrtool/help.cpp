#include "scrtool/help.h"

#include <algorithm>
#include <iostream>

#include "scrtool/command_line.h"
#include "scrtool/option_table.h"

namespace scrtool {
namespace {

constexpr char OverviewHead[] = R"(Usage: scrtool COMMAND [ARGUMENTS]
The window program's operations on ZX Spectrum screen files (6912 bytes), from
the command line. The operations run the same code as the window's menu items.
)";

constexpr char OverviewFoot[] = R"(
"-" as a file reads standard input; "-o -" writes standard output; "--" ends
the options. Options may come before or after the files. Errors go to standard
error, one line per file; a failed file never stops the others. Exit status:
0 all done, 1 some file failed or a check failed, 2 usage error (nothing is
read or written then).
Files are replaced whole: a new hidden file, with the old one's owner,
permissions, ACLs and attributes, is renamed over the old one, so a kill
leaves each file wholly old or wholly new. Not safe against a kill or power
cut, because they are written in place (a hidden ".NAME.kept-XXXXXX" holds
the old bytes meanwhile where the folder allows one): a file with a second
hard link, a file in a folder you may not create files in, and a file whose
owner, ACL or attributes a new file could not take over. A symbolic link in a
sticky folder anyone may write into (/tmp) is followed only when it is yours
or the folder owner's; a link to nothing is refused. Pipes, terminals,
/dev/stdout and /dev/fd/N are written as they are, waiting for the reader.
"scrtool help COMMAND" or "scrtool COMMAND --help" tells more.
)";

constexpr char TransformFoot[] =
    "Without -o or --in-place nothing is written. Each input must be exactly 6912 bytes.\n";

constexpr char ByteOpOperands[] = R"(INDEX is the operation's place in the window's list; B1 and B2 are read as the
window's b1 and b2 fields: decimal, $hex or %binary after blanks and one sign,
reading stops at the first other character, an empty text or no digits gives
0, and the low eight bits are used ("-1" is 255, "300" is 44). A negative
number is an operand, never an option.
)";

std::string Padded(std::string_view text, std::size_t width) {
    std::string padded(text);
    padded.resize(std::max(width, padded.size() + 1), ' ');
    return padded;
}

std::string GroupList(Group group, std::string_view heading) {
    std::string text(heading);
    for (const CommandSpec& command : Commands) {
        if (command.group != group)
            continue;
        text += "  " + Padded(command.name, 11);
        if (command.operation && !command.operation->menuTitle.empty())
            text += std::string(command.operation->menuTitle) + ": ";
        text += std::string(command.summary) + "\n";
    }
    return text;
}

std::string Overview() {
    return OverviewHead +
           GroupList(Group::Transforms, "\nTransforms (need -o OUT for one file, or --in-place for any number):\n") +
           GroupList(Group::Files, "Files:\n") + GroupList(Group::Reports, "Reports:\n") + OverviewFoot;
}

}  // namespace

std::string ByteOpDetail() {
    std::string text;
    for (std::size_t index = MinByteOpIndex; index < screen::ByteOperations.size(); ++index) {
        const screen::ByteOperationRow& row = screen::ByteOperations[index];
        text += "  " + Padded(std::to_string(index), 3) + Padded(row.listText, 32) + std::string(row.summary) + "\n";
    }
    return text + ByteOpOperands;
}

namespace {

// "  -o, --output OUT" and its help line, for each option the command takes.
std::string OptionBlock(const CommandSpec& command) {
    std::string text;
    for (const OptionSpec& option : Options) {
        if (!Takes(command, option))
            continue;
        std::string spelling;
        for (std::string_view name : Words(option.names))
            spelling += (spelling.empty() ? "" : ", ") + std::string(name);
        if (!option.value.empty())
            spelling += " " + std::string(option.value);
        std::string help(option.help);
        if (option.kind == ValueKind::Number)
            help += "; " + std::to_string(option.low) + " to " + std::to_string(option.high);
        text += "  " + Padded(spelling, 21) + help + "\n";
        if (option.detail)
            text += option.detail();
    }
    return text;
}

std::string CommandHelp(const CommandSpec& command) {
    std::string text = "Usage: scrtool " + std::string(command.name) + " " + std::string(command.usage) + "\n";
    if (command.operation && !command.operation->menuTitle.empty())
        text += "As the window's " + std::string(command.operation->menuTitle) + ": " +
                std::string(command.operation->summary) + ".\n";
    else if (command.operation)
        text += std::string(command.operation->summary) + ".\n";
    text += command.about;
    if (command.detail)
        text += command.detail();
    text += OptionBlock(command);
    if (IsTransform(command))
        text += TransformFoot;
    return text;
}

}  // namespace

std::string HelpText(const CommandSpec* topic) {
    if (!topic || topic->group == Group::Hidden)
        return Overview();
    return CommandHelp(*topic);
}

std::string VersionText() { return std::string("scrtool (scrlab) ") + SCRLAB_VERSION + "\n"; }

bool RunHelp(RunContext&, const Invocation& inv, const std::string&) {
    std::cout << HelpText(inv.topic);
    return true;
}

bool RunVersion(RunContext&, const Invocation&, const std::string&) {
    std::cout << VersionText();
    return true;
}

}  // namespace scrtool
