#include "scrtool/help.h"

#include <cstdio>

namespace scrtool {
namespace {

constexpr char Overview[] = R"(Usage: scrtool COMMAND [ARGUMENTS]
The window program's operations on ZX Spectrum screen files (6912 bytes), from
the command line. The operations run the same code as the window's menu items.

Transforms (need -o OUT for one file, or --in-place for any number):
  invert     Invert: complement every pixel and swap ink and paper
  optimize   Optimize: align each cell's ink and paper with its left neighbour
  contour    Find contour: the paper pixels that touch ink
  mask       Create Mask: grow every ink pixel into a 3 x 3 block
  mirror     Mirror Horisontal: left to right
  byte-op    INDEX B1 B2: one of the seven byte operations on every attribute
Files:
  split      write NAME.screen (bitmap) and NAME.attr (attributes)
  join       BITMAP ATTRIBUTES -o OUT: one screen from the two
  png        draw the colour or mono view as a PNG
  thumbnail  INPUT OUTPUT SIZE: a thumbnail for file managers
Reports:
  info       attributes used, FLASH, BRIGHT, invisible pixels, Optimize's changes
  check      exit 1 where a screen fails a --require condition

"-" as a file reads standard input; "-o -" writes standard output; "--" ends
the options. Errors go to standard error, one line per file; a failed file
never stops the others. Exit status: 0 all done, 1 some file failed or a
check failed, 2 usage error (nothing is read or written then).
"scrtool help COMMAND" or "scrtool COMMAND --help" tells more.
)";

constexpr char TransformHelp[] = R"(Usage: scrtool %s FILE... (-o OUT | --in-place)
%s
  -o, --output OUT  write the result to OUT ("-" for standard output); exactly
                    one input then
  --in-place        rewrite each input file; each is replaced whole (a new file
                    takes its place only once complete), never half written
Without either option nothing is written. Each input must be exactly 6912 bytes.
)";

constexpr char ByteOpHelp[] = R"(Usage: scrtool byte-op INDEX B1 B2 FILE... (-o OUT | --in-place)
Applies a byte operation to all 768 attribute bytes, as the window's "go!":
  1  b1 replace to b2          a = b1 becomes b2
  2  b1 AND b2                 a AND b2
  3  b1 OR b2                  a OR b2
  4  b1 EOR(xor) b2            a XOR b2
  5  Change ink b1 to b2       ink b1 becomes b2 (all eight bits of b2)
  6  Change paper b1 to b2     paper b1 becomes b2
  7  Change both ink/paper     5, then 6 on its result
INDEX, B1 and B2 are the three arguments right after byte-op, so "-1" is an
operand, not an option. INDEX is 1 to 7. B1 and B2 are read as the window's
b1 and b2 fields: decimal, $hex or %%binary after blanks and one sign,
reading stops at the first other character, an empty text or no digits gives
0, and the low eight bits are used ("-1" is 255, "300" is 44).
  -o, --output OUT  write the result to OUT ("-" for standard output)
  --in-place        rewrite each input file safely
)";

constexpr char SplitHelp[] = R"(Usage: scrtool split FILE...
Writes, as the window's Split does, NAME.screen (the 6144 bitmap bytes) and
NAME.attr (the 768 attribute bytes) next to each FILE, where NAME is FILE
without its extension (pics/title.scr gives pics/title.screen and
pics/title.attr). Existing files of those names are replaced.
)";

constexpr char JoinHelp[] = R"(Usage: scrtool join BITMAP ATTRIBUTES -o OUT
Writes one screen from a 6144-byte bitmap file and a 768-byte attribute file;
"-o -" writes standard output. Joining what split wrote gives the screen back.
)";

constexpr char PngHelp[] = R"(Usage: scrtool png FILE... [-o OUT.png | --out-dir DIR] [OPTIONS]
Draws a view as the window does (no cell highlighted; FLASH is not drawn).
The picture of pics/title.scr is pics/title.png unless:
  -o, --output OUT   this name (one input; "-" for standard output)
  --out-dir DIR      NAME.png in DIR
  --view colour|mono the colour view (default) or the bitmap alone (mono:
                     every cell as ink 7 on paper 0)
  --scale N          N x N pixels per screen pixel, 1 to 8 (default 2, the
                     window's size)
  --grid             blue lines along the left and top edge of each cell
  --palette NAME     levels of the colours without BRIGHT (BRIGHT is 255):
)";

constexpr char ThumbnailHelp[] = R"(Usage: scrtool thumbnail INPUT OUTPUT SIZE
For a freedesktop.org thumbnailer entry: Exec=scrtool thumbnail %%i %%o %%s
Writes a PNG of the colour view whose larger side is SIZE pixels (1 to 4096;
128 gives 128 x 96). OUTPUT is written to a temporary file and renamed, so a
file manager never sees half a picture.
)";

constexpr char InfoHelp[] = R"(Usage: scrtool info FILE... [--json]
For each screen: the attribute values used and how many cells have each, the
cells with FLASH and with BRIGHT, the cells whose ink equals their paper while
pixels are set (invisible pixels, as column,row), how many cells Optimize
would change, and whether every byte is zero.
  --json   one JSON array with an object per screen; cell lists are
           [column,row] pairs; file names that are not UTF-8 show U+FFFD
)";

constexpr char CheckHelp[] = R"(Usage: scrtool check FILE... --require CONDITION [--require CONDITION...]
Exits 1 when a screen fails a condition, naming the file, the condition and
the cells on standard error; prints nothing when all pass. Conditions:
  no-invisible-pixels  no cell has ink = paper with pixels set
  no-flash             no cell has FLASH
  no-bright            no cell has BRIGHT
  optimized            Optimize would change nothing
  not-blank            not every byte is zero
Every argument that is not an option or an option's value is a file.
)";

std::string Format(const char* pattern, const char* a = "", const char* b = "") {
    const int length = std::snprintf(nullptr, 0, pattern, a, b);
    std::string text(static_cast<std::size_t>(length), '\0');
    std::snprintf(text.data(), text.size() + 1, pattern, a, b);
    return text;
}

const char* TransformPurpose(Command command) {
    switch (command) {
    case Command::Invert: return "Invert: complements every pixel and swaps each cell's ink and paper; the colours stay.";
    case Command::Optimize:
        return "Optimize: inverts each cell whose ink or paper meets its left neighbour's, left to right;\n"
               "the colours stay.";
    case Command::Contour: return "Find contour: the picture becomes the paper pixels touching ink; attributes stay.";
    case Command::Mask: return "Create Mask: every ink pixel grows into a 3 x 3 block; attributes stay.";
    default: return "Mirror Horisontal: pixels and attributes mirrored left to right.";
    }
}

std::string PaletteTable() {
    std::string table;
    for (const NamedPalette& palette : Palettes()) {
        char line[160];
        std::snprintf(line, sizeof line, "                       %-10s %3d  %.*s\n", std::string(palette.name).c_str(),
                      palette.levels.normalLevel, static_cast<int>(palette.source.size()), palette.source.data());
        table += line;
    }
    return table;
}

} // namespace

std::string HelpText(std::optional<Command> topic) {
    if (!topic)
        return Overview;
    const std::string name(CommandName(*topic));
    switch (*topic) {
    case Command::ByteOp: return Format(ByteOpHelp);
    case Command::Split: return SplitHelp;
    case Command::Join: return JoinHelp;
    case Command::Png: return PngHelp + PaletteTable();
    case Command::Thumbnail: return Format(ThumbnailHelp);
    case Command::Info: return InfoHelp;
    case Command::Check: return CheckHelp;
    case Command::Help: case Command::Version: return Overview;
    default: return Format(TransformHelp, name.c_str(), TransformPurpose(*topic));
    }
}

std::string VersionText() { return std::string("scrtool (scrlab) ") + SCRLAB_VERSION + "\n"; }

} // namespace scrtool
