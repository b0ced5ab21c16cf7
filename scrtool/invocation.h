#pragma once
// What a scrtool command line asks for, once read (scrtool/command_line.h).

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "export/screen_bytes.h"
#include "picture/palettes.h"
#include "picture_in/import.h"
#include "picture_in/mode_convert.h"
#include "picture_in/mode_import.h"
#include "render/view_rule.h"
#include "scrtool/names.h"

namespace scrtool {

struct CommandSpec;      // a row of the command table (scrtool/command_row.h)
struct ExportFormatRow;  // a row of export's formats (scrtool/export_commands.h)

using picture::NamedPalette;
using picture::Palettes;
using picture::WindowPalette;
using render::View;

enum class Condition { NoInvisiblePixels, NoFlash, NoBright, Optimized, NotBlank };

inline constexpr int MinScale = 1;
inline constexpr int MaxScale = 8;
inline constexpr int DefaultScale = 2;
inline constexpr int MinThumbnailSize = 1;
inline constexpr int MaxThumbnailSize = 4096;
inline constexpr int MinByteOpIndex = 1;  // the list's first operation; 0 is its prompt

struct Invocation {
    const CommandSpec* command = nullptr;  // never null once parsed
    // For help: the command asked about; none for the overview.
    const CommandSpec* topic = nullptr;
    // The command's leading operands (byte-op's INDEX B1 B2), as typed.
    std::vector<std::string> operands;
    std::vector<std::string> inputs;
    std::optional<std::string> output;  // -o
    bool inPlace = false;
    std::optional<std::string> outDir;  // --out-dir
    // byte-op: the index 1..7 and the operand texts exactly as typed.
    int byteOpIndex = 0;
    std::string b1;
    std::string b2;
    View view = View::Colour;
    int scale = DefaultScale;
    bool grid = false;
    bool flash = false;   // png: both FLASH phases as an animation
    bool frames = false;  // png: a picture's frames in turn as an animation
    const NamedPalette* palette = &WindowPalette();
    bool json = false;
    std::vector<Condition> conditions;
    int thumbnailSize = 0;
    // import: the palette named (none: found from the picture's colours),
    // fitting, the border's colour as typed and as read, dither, BRIGHT; the
    // defaults are the picture library's own.
    const NamedPalette* importPalette = nullptr;
    picture_in::Fit fit = picture_in::ImportOptions{}.fit;
    std::optional<std::string> background;
    render::Rgb backgroundColour = picture_in::ImportOptions{}.background;
    picture_in::Dither dither = picture_in::ImportOptions{}.dither;
    picture_in::Bright bright = picture_in::ImportOptions{}.bright;
    bool strict = false;
    int importMode = -1;  // --mode: a place in ImportModes(); -1 when not given
    picture_in::Flicker flicker = picture_in::ModeImportOptions{}.flicker;
    // export: the FORMAT operand's row; part and order when given (else all, screen).
    const ExportFormatRow* format = nullptr;
    std::optional<exporter::Part> part;
    std::optional<exporter::Order> order;
    std::optional<std::string> tapeName;  // --name
    bool classic = false;
    bool backwards = false;
    bool rcs = false;
    bool list = false;  // extract --list
};

}  // namespace scrtool
