#pragma once
// The modes import writes: each a name for --mode and the file it makes.
// The output's extension names the mode where only one mode has it; .scr
// (and any name not a mode's) takes --mode, the classic screen without it.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "picture_in/import.h"
#include "picture_in/mode_convert.h"
#include "scrtool/invocation.h"

namespace scrtool {

struct ImportMode {
    std::string_view name;       // for --mode
    picture_in::ModeFile file;   // what is written
    std::string_view extension;  // with the dot
    std::string_view help;       // one line
};

std::span<const ImportMode> ImportModes();
std::vector<std::string_view> ImportModeNames();
void ChooseImportMode(Invocation& inv, std::size_t choice);
void ChooseFlicker(Invocation& inv, std::size_t choice);
inline constexpr std::string_view FlickerChoices = "low any";
std::string ImportModeDetail();

// The mode written to `output` under the invocation's --mode, or why none.
struct ModeChoice {
    const ImportMode* mode = nullptr;
    std::string refusal;
};
ModeChoice ImportModeFor(const Invocation& inv, std::string_view output);

// What --out-dir names an output: the --mode's extension, .scr without one.
std::string_view ImportSuffix(const Invocation& inv);

// The file's bytes in the mode: the classic screen by its own import, every
// other mode by the mode converter.
struct ModeWrite {
    std::optional<std::vector<std::uint8_t>> bytes;
    std::string cause;
};
ModeWrite ImportInto(const ImportMode& mode, std::span<const std::uint8_t> picture,
                     const picture_in::ImportOptions& options, picture_in::Flicker flicker,
                     std::span<const render::Palette> palettes);

}  // namespace scrtool
