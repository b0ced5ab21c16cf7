#pragma once
// scrtool's commands and options, one row each. Parsing, its refusals, the
// help texts, the man page's check and shell completion all read these rows.
//
// To add a command: a row in OtherCommands (name, Action, group, usage, what
// it does, the extensions of the files it reads), an Action value and its
// case in Run (commands.cpp), and, for rules that need the whole command
// line, a check function (it may also turn operands into Invocation fields,
// as CheckByteOp does). A command that reads words before its files
// (byte-op's INDEX B1 B2, export's FORMAT) names them in `operands`;
// `firstOperandChoices` limits the first to those words. A whole-screen
// operation is a row of screen::ScreenOperations instead: it becomes a
// command here by itself.
//
// To add an option: a row in Options (its spellings, the commands that take
// it, the kind of value, a range from named constants or the choices, where
// it is stored in Invocation, one help line) and, unless a setter stores it,
// a member in Invocation. The parser, its refusals and the help read the row.
// Commands may share a spelling through rows of their own (png's --palette
// and import's, which also takes "auto") as long as no command takes two.
//
// Either way, say it in the man page too (desktop/man/scrtool.1): a test
// checks that every name, choice, summary and help line is there.
//
// Argument conventions the parser keeps for every row: options before or
// after the files; "--" ends the options; an argument that looks like a
// negative number ("-1", "-$10") is never an option, so no option may be
// spelled like one; a leading operand is taken as it stands unless it is one
// of our options; an option not marked repeatable is refused the second time.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "scrtool/import_command.h"
#include "scrtool/import_modes.h"
#include "scrtool/invocation.h"
#include "screen/operations.h"

namespace scrtool {

// What Run does with a command.
enum class Action {
    Help,
    Version,
    Transform,
    ByteOp,
    Split,
    Join,
    Png,
    Import,
    Info,
    Check,
    Thumbnail,
    Export,
    Extract
};

// Where the overview lists a command; Hidden: not at all.
enum class Group { Transforms, Files, Reports, Hidden };

struct CommandSpec {
    std::string_view name = {};
    Action action = Action::Help;
    Group group = Group::Hidden;
    std::string_view usage = {};                // what follows the name in "Usage: scrtool NAME ..."
    std::string_view summary = {};              // the overview's line
    std::string_view about = {};                // the help text's paragraph, lines ending in '\n'
    std::string_view operands = {};             // leading operands, space-separated names
    std::string_view firstOperandChoices = {};  // the words the first operand may be; empty: any
    std::string_view inputs = "scr";            // extensions of the files it reads, space-separated
    // Rules that need the whole command line; the fault, or empty.
    std::string (*check)(Invocation&) = nullptr;
    std::string (*detail)() = nullptr;                   // lines help shows after `about`
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
std::string CheckExport(Invocation& inv);
std::string CheckExtract(Invocation& inv);
std::string ByteOpDetail();
std::string ThumbnailDetail();

inline constexpr std::string_view TransformUsage = "FILE... (-o OUT | --in-place)";

// Every command but the whole-screen operations, in the overview's order.
inline constexpr std::array OtherCommands{
    CommandSpec{.name = "byte-op",
                .action = Action::ByteOp,
                .group = Group::Transforms,
                .usage = "INDEX B1 B2 FILE... (-o OUT | --in-place)",
                .summary = "INDEX B1 B2: one of the seven byte operations on every attribute",
                .about = "Applies a byte operation to all 768 attribute bytes, as the window's \"go!\".\n",
                .operands = "INDEX B1 B2",
                .check = CheckByteOp,
                .detail = ByteOpDetail},
    CommandSpec{.name = "split",
                .action = Action::Split,
                .group = Group::Files,
                .usage = "FILE...",
                .summary = "write NAME.screen (bitmap) and NAME.attr (attributes)",
                .about = "Writes, as the window's Split does, NAME.screen (the 6144 bitmap bytes) and\n"
                         "NAME.attr (the 768 attribute bytes) next to each FILE, where NAME is FILE\n"
                         "without its extension (pics/title.scr gives pics/title.screen and\n"
                         "pics/title.attr). Existing files of those names are replaced.\n",
                .check = CheckSplit},
    CommandSpec{.name = "join",
                .action = Action::Join,
                .group = Group::Files,
                .usage = "BITMAP ATTRIBUTES -o OUT",
                .summary = "BITMAP ATTRIBUTES -o OUT: one screen from the two",
                .about = "Writes one screen from a 6144-byte bitmap file and a 768-byte attribute file;\n"
                         "\"-o -\" writes standard output. Joining what split wrote gives the screen back.\n",
                .inputs = "screen attr",
                .check = CheckJoin},
    CommandSpec{.name = "png",
                .action = Action::Png,
                .group = Group::Files,
                .usage = "FILE... [-o OUT.png | --out-dir DIR] [OPTIONS]",
                .summary = "draw the colour or mono view as a PNG",
                .about = "Draws a view as the window does (no cell highlighted; FLASH is not drawn).\n"
                         "With --flash, a screen whose FLASH cells change the view gives an animated PNG\n"
                         "(APNG) of both phases, ink and paper swapped in the second; a viewer that\n"
                         "knows no APNG shows the first. The picture of pics/title.scr is\n"
                         "pics/title.png unless -o or --out-dir says otherwise.\n",
                .check = CheckPng},
    CommandSpec{.name = "import",
                .action = Action::Import,
                .group = Group::Files,
                .usage = "IMAGE... [-o OUT.scr | --out-dir DIR] [OPTIONS]",
                .summary = "make a screen of each picture (PNG, JPEG, GIF, BMP, PPM, PGM)",
                .about = "Makes a screen of each picture; pics/title.png gives pics/title.scr unless -o or\n"
                         "--out-dir says otherwise. The format is known from the file's first bytes.\n"
                         "A 256 x 192 picture maps pixel to pixel, and one that is that size drawn in\n"
                         "N x N blocks (N up to 8, as png --scale draws) is reduced without loss; any\n"
                         "other size is fitted. A picture a screen can show exactly (each 8 x 8 cell two\n"
                         "colours of one brightness, in the palette's colours) gives that screen in every\n"
                         "mode. Cells get PAPER the colour of more of their pixels, INK the other (equal\n"
                         "counts: the lower number is PAPER); a one-colour cell gets INK 7 - PAPER and no\n"
                         "pixels set; an all-black cell is not BRIGHT; FLASH is never set.\n",
                .inputs = "png jpg jpeg gif bmp ppm pgm",
                .check = CheckImport},
    CommandSpec{.name = "thumbnail",
                .action = Action::Thumbnail,
                .group = Group::Files,
                .usage = "INPUT OUTPUT SIZE",
                .summary = "INPUT OUTPUT SIZE: a thumbnail for file managers",
                .about = "For a freedesktop.org thumbnailer entry: Exec=scrtool thumbnail %i %o %s\n"
                         "Writes a PNG of the colour view whose larger side is SIZE pixels (128 gives\n"
                         "128 x 96). OUTPUT is written to a temporary file and renamed, so a file\n"
                         "manager never sees half a picture.\n",
                .check = CheckThumbnail,
                .detail = ThumbnailDetail},
    CommandSpec{.name = "export",
                .action = Action::Export,
                .group = Group::Files,
                .usage = "FORMAT FILE... (-o OUT | --out-dir DIR) [OPTIONS]",
                .summary = "FORMAT: the screen for a build: asm, c, bin, tap or zx0",
                .about = "Writes each screen in FORMAT: asm (db lines for pasmo, sjasmplus and z80asm,\n"
                         "labelled after the file name, and NAME_length), c (const unsigned char NAME[]\n"
                         "and NAME_LENGTH, for gcc and sdcc), bin (the bytes), tap (a tape: a BASIC\n"
                         "loader, 10 LOAD \"\"SCREEN$ : PAUSE 0, and CODE 16384,6912) or zx0 (ZX0\n"
                         "compressed, with the fewest bytes the format allows). --out-dir DIR writes\n"
                         "DIR/NAME.asm, .c, .bin, .tap or .zx0.\n",
                .operands = "FORMAT",
                .firstOperandChoices = "asm c bin tap zx0",
                .check = CheckExport},
    CommandSpec{.name = "extract",
                .action = Action::Extract,
                .group = Group::Files,
                .usage = "FILE... [--out-dir DIR] [--list]",
                .summary = "the screens inside tapes and snapshots",
                .about = "Writes every screen inside a tape (.tap .tzx .pzx; .csw holds no bytes to\n"
                         "read), snapshot (.sna .z80 .szx .sp) or input recording (.rzx): each data\n"
                         "block of 6912 bytes, named after the CODE header before it (game.tap with\n"
                         "header \"Loading\" gives game-Loading.scr) or its block number (game-3.scr);\n"
                         "from a snapshot the screen shown (bank 7 when a 128K shows its shadow\n"
                         "screen, else bank 5), and the other bank too when it differs and is not\n"
                         "blank (game-bank7.scr). Screens go beside FILE unless --out-dir says\n"
                         "otherwise. A file with no screen, or one that cannot be read, fails.\n",
                .inputs = "tap tzx pzx csw sna z80 szx sp rzx",
                .check = CheckExtract},
    CommandSpec{.name = "info",
                .action = Action::Info,
                .group = Group::Reports,
                .usage = "FILE... [--json]",
                .summary = "attributes used, FLASH, BRIGHT, invisible pixels, Optimize's changes",
                .about = "For each screen: the attribute values used and how many cells have each, the\n"
                         "cells with FLASH and with BRIGHT, the cells whose ink equals their paper while\n"
                         "pixels are set (invisible pixels, as column,row), how many cells Optimize\n"
                         "would change, and whether every byte is zero.\n",
                .check = CheckInfo},
    CommandSpec{.name = "check",
                .action = Action::Check,
                .group = Group::Reports,
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
        all[next++] = CommandSpec{.name = operation.command,
                                  .action = Action::Transform,
                                  .group = Group::Transforms,
                                  .usage = TransformUsage,
                                  .summary = operation.summary,
                                  .check = CheckTransform,
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
    std::string_view value = {};  // how help shows the value: "OUT", "N"
    std::string_view noun = {};   // how refusals name the value: "bad scale '9'", "unknown view 'grey'"
    int low = 0;                  // Number: the range
    int high = 0;
    std::string_view choices = {};                             // Choice: the words, space-separated,
    std::vector<std::string_view> (*choicesFrom)() = nullptr;  // or a table's names
    bool repeatable = false;                                   // else a second use is refused
    // Where the value goes: a member, or (Choice) a setter given the choice's place.
    bool Invocation::*flag = nullptr;
    int Invocation::*number = nullptr;
    std::optional<std::string> Invocation::*text = nullptr;
    void (*choose)(Invocation&, std::size_t choice) = nullptr;
    std::string_view help = {};         // one line
    std::string (*detail)() = nullptr;  // lines help shows under it
};

void ChooseView(Invocation& inv, std::size_t choice);
void ChoosePart(Invocation& inv, std::size_t choice);
void ChooseOrder(Invocation& inv, std::size_t choice);
void ChoosePalette(Invocation& inv, std::size_t choice);
void RequireCondition(Invocation& inv, std::size_t choice);
std::vector<std::string_view> PaletteNames();
std::vector<std::string_view> ConditionNames();
std::string PaletteDetail();
std::string ImportPaletteDetail();
std::string DitherDetail();
std::string ConditionDetail();
std::string RcsDetail();

inline constexpr std::array Options{
    OptionSpec{.names = "-o --output",
               .takenBy = "transforms join png import export",
               .kind = ValueKind::File,
               .value = "OUT",
               .text = &Invocation::output,
               .help = "write the result to OUT (\"-\" for standard output); takes exactly one input file"},
    OptionSpec{.names = "--in-place",
               .takenBy = "transforms",
               .flag = &Invocation::inPlace,
               .help = "rewrite each input file; each is replaced whole, except the files written in place"},
    OptionSpec{.names = "--out-dir",
               .takenBy = "png",
               .kind = ValueKind::Folder,
               .value = "DIR",
               .text = &Invocation::outDir,
               .help = "write NAME.png in DIR"},
    OptionSpec{.names = "--out-dir",
               .takenBy = "import",
               .kind = ValueKind::Folder,
               .value = "DIR",
               .text = &Invocation::outDir,
               .help = "write NAME.scr in DIR"},
    OptionSpec{.names = "--out-dir",
               .takenBy = "export extract",
               .kind = ValueKind::Folder,
               .value = "DIR",
               .text = &Invocation::outDir,
               .help = "write the files in DIR, named after each input"},
    OptionSpec{.names = "--view",
               .takenBy = "png",
               .kind = ValueKind::Choice,
               .value = "colour|mono",
               .noun = "view",
               .choices = "colour mono color",
               .choose = ChooseView,
               .help = "the colour view (default) or the bitmap alone (every cell as ink 7 on paper 0)"},
    OptionSpec{.names = "--scale",
               .takenBy = "png",
               .kind = ValueKind::Number,
               .value = "N",
               .noun = "scale",
               .low = MinScale,
               .high = MaxScale,
               .number = &Invocation::scale,
               .help = "N x N pixels per screen pixel (default 2, the window's size)"},
    OptionSpec{.names = "--grid",
               .takenBy = "png",
               .flag = &Invocation::grid,
               .help = "blue lines along the left and top edge of each cell"},
    OptionSpec{.names = "--flash",
               .takenBy = "png",
               .flag = &Invocation::flash,
               .help = "both FLASH phases as an animated PNG, 16/50 s each, looping (still without FLASH)"},
    OptionSpec{.names = "--frames",
               .takenBy = "png",
               .flag = &Invocation::frames,
               .help = "a picture's frames in turn as an animated PNG at 50 Hz (still with one frame)"},
    OptionSpec{.names = "--palette",
               .takenBy = "png",
               .kind = ValueKind::Choice,
               .value = "NAME",
               .noun = "palette",
               .choicesFrom = PaletteNames,
               .choose = ChoosePalette,
               .help = "levels of the colours without BRIGHT (BRIGHT is 255):",
               .detail = PaletteDetail},
    OptionSpec{.names = "--palette",
               .takenBy = "import",
               .kind = ValueKind::Choice,
               .value = "NAME",
               .noun = "palette",
               .choicesFrom = ImportPaletteNames,
               .choose = ChooseImportPalette,
               .help = "the palette to draw the screen in (default auto):",
               .detail = ImportPaletteDetail},
    OptionSpec{.names = "--fit",
               .takenBy = "import",
               .kind = ValueKind::Choice,
               .value = "HOW",
               .noun = "fit",
               .choices = FitChoices,
               .choose = ChooseFit,
               .help = "other sizes: contain (all of it, with borders; default), cover or stretch"},
    OptionSpec{.names = "--background",
               .takenBy = "import",
               .kind = ValueKind::Text,
               .value = "#RRGGBB",
               .text = &Invocation::background,
               .help = "the colour under transparency and borders (default black)"},
    OptionSpec{.names = "--dither",
               .takenBy = "import",
               .kind = ValueKind::Choice,
               .value = "MODE",
               .noun = "dither",
               .choices = DitherChoices,
               .choose = ChooseDither,
               .help = "how colours the screen lacks are shown:",
               .detail = DitherDetail},
    OptionSpec{.names = "--bright",
               .takenBy = "import",
               .kind = ValueKind::Choice,
               .value = "WHEN",
               .noun = "bright",
               .choices = BrightChoices,
               .choose = ChooseBright,
               .help = "BRIGHT: auto (chosen per cell; default), never or always"},
    OptionSpec{.names = "--strict",
               .takenBy = "import",
               .flag = &Invocation::strict,
               .help = "change no pixel: fail, naming each cell that cannot be shown, unless exact"},
    OptionSpec{.names = "--mode",
               .takenBy = "import",
               .kind = ValueKind::Choice,
               .value = "NAME",
               .noun = "mode",
               .choicesFrom = ImportModeNames,
               .choose = ChooseImportMode,
               .help = "the mode to write (an output's extension other than .scr names it):",
               .detail = ImportModeDetail},
    OptionSpec{.names = "--flicker",
               .takenBy = "import",
               .kind = ValueKind::Choice,
               .value = "HOW",
               .noun = "flicker",
               .choices = FlickerChoices,
               .choose = ChooseFlicker,
               .help = "gigascreen: low (the two frames as close as the picture allows; default) or any"},
    OptionSpec{.names = "--part",
               .takenBy = "export",
               .kind = ValueKind::Choice,
               .value = "all|bitmap|attributes",
               .noun = "part",
               .choices = "all bitmap attributes",
               .choose = ChoosePart,
               .help = "the whole screen (default), its 6144 bitmap or 768 attribute bytes"},
    OptionSpec{.names = "--order",
               .takenBy = "export",
               .kind = ValueKind::Choice,
               .value = "screen|linear",
               .noun = "order",
               .choices = "screen linear",
               .choose = ChooseOrder,
               .help = "the bitmap as in memory (default), or its pixel lines top to bottom"},
    OptionSpec{.names = "--name",
               .takenBy = "export",
               .kind = ValueKind::Text,
               .value = "NAME",
               .text = &Invocation::tapeName,
               .help = "tap: the blocks' name (10 characters at most; default: the file's)"},
    OptionSpec{.names = "--classic",
               .takenBy = "export",
               .flag = &Invocation::classic,
               .help = "zx0: the older format (version 1), for older decompressors"},
    OptionSpec{.names = "--backwards",
               .takenBy = "export",
               .flag = &Invocation::backwards,
               .help = "zx0: for decompressing backwards, in place, from the last byte down"},
    OptionSpec{.names = "--rcs",
               .takenBy = "export",
               .flag = &Invocation::rcs,
               .help = "zx0: the bitmap in RCS order first, which compresses better:",
               .detail = RcsDetail},
    OptionSpec{.names = "--list",
               .takenBy = "extract",
               .flag = &Invocation::list,
               .help = "print each block's number, kind, name and length; write nothing"},
    OptionSpec{.names = "--json",
               .takenBy = "info",
               .flag = &Invocation::json,
               .help = "one JSON array with an object per screen; cell lists are [column,row] pairs"},
    OptionSpec{.names = "--require",
               .takenBy = "check",
               .kind = ValueKind::Choice,
               .value = "CONDITION",
               .noun = "condition",
               .choicesFrom = ConditionNames,
               .repeatable = true,
               .choose = RequireCondition,
               .help = "a condition every screen must meet:",
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

}  // namespace scrtool
