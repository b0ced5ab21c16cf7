#pragma once
// What a scrtool command line asks for, read without touching any file, so
// that every way of spelling a command can be checked (and fuzzed) on its own.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "scrtool/palettes.h"

namespace scrtool {

enum class Command {
    Help, Version,
    Invert, Optimize, Contour, Mask, Mirror, ByteOp,
    Split, Join, Png, Info, Check, Thumbnail,
};

using render::View;

enum class Condition { NoInvisiblePixels, NoFlash, NoBright, Optimized, NotBlank };

// The name that stands for standard input (as a file) or output (after -o).
inline constexpr std::string_view StandardStream = "-";

inline constexpr int MinScale = 1;
inline constexpr int MaxScale = 8;
inline constexpr int DefaultScale = 2;
inline constexpr int MaxThumbnailSize = 4096;

struct Invocation {
    Command command = Command::Help;
    // For Help: the command asked about, if any.
    std::optional<Command> topic;
    std::vector<std::string> inputs;
    std::optional<std::string> output;   // -o
    bool inPlace = false;
    std::optional<std::string> outDir;   // --out-dir
    // byte-op: the index 1..7 and the operand texts exactly as typed.
    int byteOpIndex = 0;
    std::string b1;
    std::string b2;
    View view = View::Colour;
    int scale = DefaultScale;
    bool grid = false;
    const NamedPalette* palette = &WindowPalette();
    bool json = false;
    std::vector<Condition> conditions;
    int thumbnailSize = 0;
};

// A parse gives an invocation or the reason the command line is unusable.
struct Parsed {
    std::optional<Invocation> invocation;
    std::string error;
};

// Reads the arguments after the program name.
Parsed ParseArguments(const std::vector<std::string>& arguments);

std::string_view CommandName(Command command);
std::optional<Command> CommandNamed(std::string_view name);
std::string_view ConditionName(Condition condition);
std::optional<Condition> ConditionNamed(std::string_view name);
// True for the commands that rewrite screens and so need -o or --in-place.
bool IsTransform(Command command);

} // namespace scrtool
