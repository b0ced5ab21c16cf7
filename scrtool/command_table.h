#pragma once
// scrtool's commands, one row each (the row's fields: scrtool/command_row.h).
//
// To add a command: a row in OtherCommands (name, group, usage, what it
// does, the extensions of the files it reads, the destinations it takes,
// what it writes for one input and the function that runs one input) and
// its lines in the man page (desktop/man/scrtool.1), which a test checks.
// Rules that need the whole command line beyond the destination's go in a
// check function (it may also turn operands into Invocation fields, as
// CheckByteOp does). A command that reads words before its files (byte-op's
// INDEX B1 B2, export's FORMAT) names them in `operands`;
// `firstOperandChoices` limits the first to those words. A whole-screen
// operation is a row of screen::ScreenOperations instead: it becomes a
// command here by itself.
//
// Argument conventions the parser keeps for every row: options before or
// after the files; "--" ends the options; an argument that looks like a
// negative number ("-1", "-$10") is never an option, so no option may be
// spelled like one; a leading operand is taken as it stands unless it is one
// of our options; an option not marked repeatable is refused the second time.

#include <array>
#include <cstddef>

#include "scrtool/command_row.h"
#include "scrtool/export_commands.h"
#include "scrtool/file_commands.h"
#include "scrtool/help.h"
#include "scrtool/import_command.h"
#include "scrtool/import_modes.h"
#include "scrtool/option_table.h"
#include "scrtool/report_commands.h"
#include "scrtool/transforms.h"
#include "screen/operations.h"

namespace scrtool {

// The extensions of every mode's files (modes/picture_modes.h), for the
// commands that read them all; a test holds the two lists together.
inline constexpr std::string_view PictureExtensions =
    "scr img mlt mc ifl atr bsc bmc4 mg1 mg2 mg4 mg8 hlr hrg stl rgb 3 zxs ch$ sev chx zxp ch4 ch6 ch8 flf bsp";

inline constexpr std::string_view TransformUsage = "FILE... (-o OUT | --in-place)";

// Every command but the whole-screen operations, in the overview's order.
inline constexpr std::array OtherCommands{
    CommandSpec{.name = "byte-op",
                .group = Group::Transforms,
                .usage = "INDEX B1 B2 FILE... (-o OUT | --in-place)",
                .summary = "INDEX B1 B2: one of the seven byte operations on every attribute",
                .about = "Applies a byte operation to all 768 attribute bytes, as the window's \"go!\".\n",
                .operands = "INDEX B1 B2",
                .destination = Destination::OutputOrInPlace,
                .check = CheckByteOp,
                .checkFirst = true,
                .detail = ByteOpDetail,
                .writes = TransformWrites,
                .run = RunTransform},
    CommandSpec{.name = "split",
                .group = Group::Files,
                .usage = "FILE...",
                .summary = "write NAME.screen (bitmap) and NAME.attr (attributes)",
                .about = "Writes, as the window's Split does, NAME.screen (the 6144 bitmap bytes) and\n"
                         "NAME.attr (the 768 attribute bytes) next to each FILE, where NAME is FILE\n"
                         "without its extension (pics/title.scr gives pics/title.screen and\n"
                         "pics/title.attr). Existing files of those names are replaced.\n",
                .destination = Destination::Beside,
                .namesAfterInput = "split names its files after the input",
                .writes = SplitWrites,
                .run = RunSplit},
    CommandSpec{.name = "join",
                .group = Group::Files,
                .usage = "BITMAP ATTRIBUTES -o OUT",
                .summary = "BITMAP ATTRIBUTES -o OUT: one screen from the two",
                .about = "Writes one screen from a 6144-byte bitmap file and a 768-byte attribute file;\n"
                         "\"-o -\" writes standard output. Joining what split wrote gives the screen back.\n",
                .inputs = "screen attr",
                .destination = Destination::Output,
                .check = CheckJoin,
                .checkFirst = true,
                .run = RunJoin,
                .wholeRun = true},
    CommandSpec{.name = "png",
                .group = Group::Files,
                .usage = "FILE... [-o OUT.png | --out-dir DIR] [OPTIONS]",
                .summary = "draw the colour or mono view as a PNG",
                .about = "Draws a view as the window does (no cell highlighted; FLASH is not drawn).\n"
                         "With --flash, a screen whose FLASH cells change the view gives an animated PNG\n"
                         "(APNG) of both phases, ink and paper swapped in the second; a viewer that\n"
                         "knows no APNG shows the first. The picture of pics/title.scr is\n"
                         "pics/title.png unless -o or --out-dir says otherwise.\n",
                .destination = Destination::OutputOrBeside,
                .standardInputNeeds = "OUT.png",
                .writes = PngWrites,
                .run = RunPng},
    CommandSpec{.name = "import",
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
                .inputNoun = "picture",
                .destination = Destination::OutputOrBeside,
                .standardInputNeeds = "OUT.scr",
                .check = CheckImport,
                .writes = ImportWrites,
                .run = RunImport},
    CommandSpec{.name = "convert",
                .group = Group::Files,
                .usage = "IN -o OUT [--mode NAME]",
                .summary = "IN -o OUT: the picture in the mode OUT's extension names",
                .about = "Writes IN's picture, of any mode scrtool reads, in the mode OUT's extension\n"
                         "names (.scr: the classic screen unless --mode names another). Where the\n"
                         "picture fits that mode cell for cell the bytes are exact (.mc to .mlt and\n"
                         "back, a screen to .img and back, a screen to .bsc or .bmc4 under a black\n"
                         "border and back); else the mode gets what the eye sees of IN (its frames\n"
                         "averaged) as import makes it of a picture (a gigascreen .img to a .scr\n"
                         "gives the nearest screen). A .bsc or .bmc4 into a mode without a border\n"
                         "gives its screen area, and convert says on standard error that the border\n"
                         "is dropped. OUT named for no mode it writes is refused.\n",
                .inputs = PictureExtensions,
                .inputNoun = "picture",
                .destination = Destination::Output,
                .check = CheckConvert,
                .run = RunConvert},
    CommandSpec{.name = "thumbnail",
                .group = Group::Files,
                .usage = "INPUT OUTPUT SIZE",
                .summary = "INPUT OUTPUT SIZE: a thumbnail for file managers",
                .about = "For a freedesktop.org thumbnailer entry: Exec=scrtool thumbnail %i %o %s\n"
                         "Writes a PNG of the colour view whose larger side is SIZE pixels (128 gives\n"
                         "128 x 96). OUTPUT is written to a temporary file and renamed, so a file\n"
                         "manager never sees half a picture.\n",
                .check = CheckThumbnail,
                .detail = ThumbnailDetail,
                .run = RunThumbnail,
                .wholeRun = true},
    CommandSpec{.name = "export",
                .group = Group::Files,
                .usage = "FORMAT FILE... (-o OUT | --out-dir DIR) [OPTIONS]",
                .summary = "FORMAT: a picture for a build: asm, c, bin, tap or zx0",
                .about = "Writes each picture in FORMAT: asm (db lines for pasmo, sjasmplus and z80asm,\n"
                         "labelled after the file name, and NAME_length), c (const unsigned char NAME[]\n"
                         "and NAME_LENGTH, for gcc and sdcc), bin (the bytes), tap (a tape: a BASIC\n"
                         "loader, 10 LOAD \"\"SCREEN$ : PAUSE 0, and CODE 16384,6912) or zx0 (ZX0\n"
                         "compressed, with the fewest bytes the format allows). --out-dir DIR writes\n"
                         "DIR/NAME.asm, .c, .bin, .tap or .zx0. asm, c, bin and zx0 take a file of any\n"
                         "mode scrtool reads, chosen by its extension and size (.img, .mlt, .bsc, a\n"
                         "ULAplus .scr, ...), whole or the part --part names; tap a classic screen.\n",
                .operands = "FORMAT",
                .firstOperandChoices = SpellingsOf<ExportFormats>,
                .inputs = PictureExtensions,
                .destination = Destination::OutputOrOutDir,
                .standardInputNeeds = "OUT",
                .check = CheckExport,
                .writes = ExportWrites,
                .run = RunExport},
    CommandSpec{.name = "extract",
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
                .inputNoun = "tape or snapshot",
                .destination = Destination::OutDirOrBeside,
                .namesAfterInput = "extract names the screens after the input",
                .check = CheckExtract,
                .writes = ExtractWrites,
                .run = RunExtract,
                .start = StartExtract},
    CommandSpec{.name = "info",
                .group = Group::Reports,
                .usage = "FILE... [--json]",
                .summary = "attributes used, FLASH, BRIGHT, invisible pixels, Optimize's changes",
                .about = "For each screen: the attribute values used and how many cells have each, the\n"
                         "cells with FLASH and with BRIGHT, the cells whose ink equals their paper while\n"
                         "pixels are set (invisible pixels, as column,row), how many cells Optimize\n"
                         "would change, and whether every byte is zero. For a picture of two frames\n"
                         "(gigascreen), its flicker: the mean difference in linear luminance (Rec. 709)\n"
                         "between the frames at each pixel, in the window's palette, 0 to 1.\n",
                .run = RunInfo,
                .finish = FinishInfo},
    CommandSpec{.name = "check",
                .group = Group::Reports,
                .usage = "FILE... --require CONDITION [--require CONDITION...]",
                .summary = "exit 1 where a screen fails a --require condition",
                .about = "Exits 1 when a screen fails a condition, naming the file, the condition and\n"
                         "the cells on standard error; prints nothing when all pass. Every argument\n"
                         "that is not an option or an option's value is a file.\n",
                .check = CheckCheck,
                .run = RunCheck},
    CommandSpec{.name = "help", .usage = "[COMMAND]", .inputs = "", .run = RunHelp, .wholeRun = true},
    CommandSpec{.name = "version", .inputs = "", .run = RunVersion, .wholeRun = true},
};

// Every command: the whole-screen operations first, in the catalogue's order.
inline constexpr auto Commands = [] {
    std::array<CommandSpec, screen::ScreenOperations.size() + OtherCommands.size()> all{};
    std::size_t next = 0;
    for (const screen::ScreenOperation& operation : screen::ScreenOperations)
        all[next++] = CommandSpec{.name = operation.command,
                                  .group = Group::Transforms,
                                  .usage = TransformUsage,
                                  .summary = operation.summary,
                                  .destination = Destination::OutputOrInPlace,
                                  .operation = &operation,
                                  .writes = TransformWrites,
                                  .run = RunTransform};
    for (const CommandSpec& command : OtherCommands)
        all[next++] = command;
    return all;
}();

}  // namespace scrtool
