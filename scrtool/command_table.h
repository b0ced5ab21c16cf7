#pragma once
// scrtool's commands and options, one row each. Parsing, its refusals, the
// help texts, the man page's check and shell completion all read these rows.
//
// To add a command: a row in OtherCommands (name, Action, group, usage, what
// it does), an Action value and its case in Run (commands.cpp), and, for
// rules that need the whole command line, a check function. A command that
// reads words before its files (byte-op's INDEX B1 B2, a FORMAT) names them
// in `operands`; `firstOperandChoices` limits the first to those words.
// A whole-screen operation is a row of screen::ScreenOperations instead: it
// becomes a command here by itself.
//
// To add an option: a row in Options (its spellings, the commands that take
// it, the kind of value, a range from named constants or the choices, where
// it is stored in Invocation, one help line) and a member in Invocation.
// Nothing else: the parser, its refusals and the help read the row.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "scrtool/invocation.h"
#include "screen/operations.h"

namespace scrtool {

// What Run does with a command.
enum class Action { Help, Version, Transform, ByteOp, Split, Join, Png, Info, Check, Thumbnail };

// Where the overview lists a command; Hidden: not at all.
enum class Group { Transforms, Files, Reports, Hidden };

struct CommandSpec {
    std::string_view name = {};
    Action action = Action::Help;
    Group group = Group::Hidden;
    std::string_view usage = {};     // what follows the name in "Usage: scrtool NAME ..."
    std::string_view summary = {};   // the overview's line
    std::string_view about = {};     // the help text's paragraph, lines ending in '\n'
    std::string_view operands = {};  // leading operands, space-separated names
    std::string_view firstOperandChoices = {};  // the words the first operand may be; empty: any
    std::string_view inputs = "scr";       // extensions of the files it reads, space-separated
    // Rules that need the whole command line; the fault, or empty.
    std::string (*check)(Invocation&) = nullptr;
    const screen::ScreenOperation* operation = nullptr;  // Transform: the row it runs
};

std::string CheckTransform(Invocation& inv);
std::string CheckByteOp(Invocation& inv);
std::string CheckSplit(Invocation& inv);
std::string CheckJoin(Invocation& inv);
std::string CheckPng(Invocation& inv);
std::string CheckInfo(Invocation& inv);
std::string CheckCheck(Invocation& inv);
std::string CheckThumbnail(Invocation& inv);

inline constexpr std::string_view TransformUsage = "FILE... (-o OUT | --in-place)";

// Every command but the whole-screen operations, in the overview's order.
inline constexpr std::array OtherCommands{
    CommandSpec{.name = "byte-op", .action = Action::ByteOp, .group = Group::Transforms,
                .usage = "INDEX B1 B2 FILE... (-o OUT | --in-place)",
                .summary = "INDEX B1 B2: one of the seven byte operations on every attribute",
                .about = "Applies a byte operation to all 768 attribute bytes, as the window's \"go!\".\n",
                .operands = "INDEX B1 B2", .check = CheckByteOp},
    CommandSpec{.name = "split", .action = Action::Split, .group = Group::Files, .usage = "FILE...",
                .summary = "write NAME.screen (bitmap) and NAME.attr (attributes)",
                .about = "Writes, as the window's Split does, NAME.screen (the 6144 bitmap bytes) and\n"
                         "NAME.attr (the 768 attribute bytes) next to each FILE, where NAME is FILE\n"
                         "without its extension (pics/title.scr gives pics/title.screen and\n"
                         "pics/title.attr). Existing files of those names are replaced.\n",
                .check = CheckSplit},
    CommandSpec{.name = "join", .action = Action::Join, .group = Group::Files, .usage = "BITMAP ATTRIBUTES -o OUT",
                .summary = "BITMAP ATTRIBUTES -o OUT: one screen from the two",
                .about = "Writes one screen from a 6144-byte bitmap file and a 768-byte attribute file;\n"
                         "\"-o -\" writes standard output. Joining what split wrote gives the screen back.\n",
                .inputs = "screen attr", .check = CheckJoin},
    CommandSpec{.name = "png", .action = Action::Png, .group = Group::Files,
                .usage = "FILE... [-o OUT.png | --out-dir DIR] [OPTIONS]",
                .summary = "draw the colour or mono view as a PNG",
                .about = "Draws a view as the window does (no cell highlighted; FLASH is not drawn).\n"
                         "The picture of pics/title.scr is pics/title.png unless -o or --out-dir says\n"
                         "otherwise.\n",
                .check = CheckPng},
    CommandSpec{.name = "thumbnail", .action = Action::Thumbnail, .group = Group::Files,
                .usage = "INPUT OUTPUT SIZE", .summary = "INPUT OUTPUT SIZE: a thumbnail for file managers",
                .about = "For a freedesktop.org thumbnailer entry: Exec=scrtool thumbnail %i %o %s\n"
                         "Writes a PNG of the colour view whose larger side is SIZE pixels (1 to 4096;\n"
                         "128 gives 128 x 96). OUTPUT is written to a temporary file and renamed, so a\n"
                         "file manager never sees half a picture.\n",
                .check = CheckThumbnail},
    CommandSpec{.name = "info", .action = Action::Info, .group = Group::Reports, .usage = "FILE... [--json]",
                .summary = "attributes used, FLASH, BRIGHT, invisible pixels, Optimize's changes",
                .about = "For each screen: the attribute values used and how many cells have each, the\n"
                         "cells with FLASH and with BRIGHT, the cells whose ink equals their paper while\n"
                         "pixels are set (invisible pixels, as column,row), how many cells Optimize\n"
                         "would change, and whether every byte is zero.\n",
                .check = CheckInfo},
    CommandSpec{.name = "check", .action = Action::Check, .group = Group::Reports,
                .usage = "FILE... --require CONDITION [--require CONDITION...]",
                .summary = "exit 1 where a screen fails a --require condition",
                .about = "Exits 1 when a screen fails a condition, naming the file, the condition and\n"
                         "the cells on standard error; prints nothing when all pass. Every argument\n"
                         "that is not an option or an option's value is a file.\n",
                .check = CheckCheck},
    CommandSpec{.name = "help", .action = Action::Help, .usage = "[COMMAND]", .inputs = ""},
    CommandSpec{.name = "version", .action = Action::Version, .inputs = ""},
};

// Every command: the whole-screen operations first, in the catalogue's order.
inline constexpr auto Commands = [] {
    std::array<CommandSpec, screen::ScreenOperations.size() + OtherCommands.size()> all{};
    std::size_t next = 0;
    for (const screen::ScreenOperation& operation : screen::ScreenOperations)
        all[next++] = CommandSpec{.name = operation.command, .action = Action::Transform,
                                  .group = Group::Transforms, .usage = TransformUsage,
                                  .summary = operation.summary, .check = CheckTransform,
                                  .operation = &operation};
    for (const CommandSpec& command : OtherCommands)
        all[next++] = command;
    return all;
}();

enum class ValueKind { Flag, Number, Choice, File, Folder, Text };

struct OptionSpec {
    std::string_view names = {};    // every spelling, space-separated: "-o --output"
    std::string_view takenBy = {};  // command names, space-separated; "transforms": every Transform and byte-op
    ValueKind kind = ValueKind::Flag;
    std::string_view value = {};    // how help shows the value: "OUT", "N"
    std::string_view noun = {};     // how refusals name the value: "bad scale '9'", "unknown view 'grey'"
    int low = 0;               // Number: the range
    int high = 0;
    std::string_view choices = {};                         // Choice: the words, space-separated,
    std::vector<std::string_view> (*choicesFrom)() = nullptr;  // or a table's names
    bool repeatable = false;   // else a second use is refused
    // Where the value goes: a member, or (Choice) a setter given the choice's place.
    bool Invocation::*flag = nullptr;
    int Invocation::*number = nullptr;
    std::optional<std::string> Invocation::*text = nullptr;
    void (*choose)(Invocation&, std::size_t choice) = nullptr;
    std::string_view help = {};               // one line
    std::string (*detail)() = nullptr;   // lines help shows under it
};

void ChooseView(Invocation& inv, std::size_t choice);
void ChoosePalette(Invocation& inv, std::size_t choice);
void RequireCondition(Invocation& inv, std::size_t choice);
std::vector<std::string_view> PaletteNames();
std::vector<std::string_view> ConditionNames();
std::string PaletteDetail();
std::string ConditionDetail();

inline constexpr std::array Options{
    OptionSpec{.names = "-o --output", .takenBy = "transforms join png", .kind = ValueKind::File,
               .value = "OUT", .text = &Invocation::output,
               .help = "write to OUT (\"-\" for standard output); one input file then"},
    OptionSpec{.names = "--in-place", .takenBy = "transforms", .flag = &Invocation::inPlace,
               .help = "rewrite each input file; each is replaced whole, never half written"},
    OptionSpec{.names = "--out-dir", .takenBy = "png", .kind = ValueKind::Folder, .value = "DIR",
               .text = &Invocation::outDir, .help = "write NAME.png in DIR"},
    OptionSpec{.names = "--view", .takenBy = "png", .kind = ValueKind::Choice, .value = "colour|mono",
               .noun = "view", .choices = "colour mono color", .choose = ChooseView,
               .help = "the colour view (default) or the bitmap alone (every cell as ink 7 on paper 0)"},
    OptionSpec{.names = "--scale", .takenBy = "png", .kind = ValueKind::Number, .value = "N", .noun = "scale",
               .low = MinScale, .high = MaxScale, .number = &Invocation::scale,
               .help = "N x N pixels per screen pixel (default 2, the window's size)"},
    OptionSpec{.names = "--grid", .takenBy = "png", .flag = &Invocation::grid,
               .help = "blue lines along the left and top edge of each cell"},
    OptionSpec{.names = "--palette", .takenBy = "png", .kind = ValueKind::Choice, .value = "NAME",
               .noun = "palette", .choicesFrom = PaletteNames, .choose = ChoosePalette,
               .help = "levels of the colours without BRIGHT (BRIGHT is 255):", .detail = PaletteDetail},
    OptionSpec{.names = "--json", .takenBy = "info", .flag = &Invocation::json,
               .help = "one JSON array with an object per screen; cell lists are [column,row] pairs"},
    OptionSpec{.names = "--require", .takenBy = "check", .kind = ValueKind::Choice, .value = "CONDITION",
               .noun = "condition", .choicesFrom = ConditionNames, .repeatable = true,
               .choose = RequireCondition, .help = "a condition every screen must meet:",
               .detail = ConditionDetail},
};

// Lookups over the tables, for the parser, help and a completion generator.
const CommandSpec* CommandNamed(std::string_view name);
const CommandSpec& CommandOf(Action action);  // the first row of that action
bool Takes(const CommandSpec& command, const OptionSpec& option);
std::vector<std::string_view> ChoicesOf(const OptionSpec& option);
// The words of a space-separated list.
std::vector<std::string_view> Words(std::string_view list);
bool IsTransform(const CommandSpec& command);

} // namespace scrtool
