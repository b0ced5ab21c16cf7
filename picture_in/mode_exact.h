#pragma once
// Pictures a mode shows exactly, found as the mode's own drawing: what
// `import --strict` writes, and what every conversion gives for such a
// picture. Internal to picture_in.

#include <array>
#include <optional>
#include <span>
#include <vector>

#include "picture_in/mode_convert.h"
#include "picture_in/picture.h"
#include "picture_in/screen_writer.h"

namespace picture_in {

struct ExactResult {
    std::optional<ModeDrawing> drawing;
    std::vector<Clash> clashes;   // the cells that do not fit, row by row
    bool tooManyColours = false;  // ULAplus: every cell fits, but not all in one palette
};

// A 256 x 192 screen area in the Spectrum's colours, `table` being the 16
// screen colours in linear light.
ExactResult ExactInMode(const Picture& area, std::span<const LinearRgb> table, ModeShape shape);

// A 256 x 192 screen area in ULAplus colours, its palette found from the
// pairs the cells use.
ExactResult ExactUlaPlus(const Picture& area, ModeShape shape);

// Each cell's pair of palette bytes packed into four groups of 8 INKs and 8
// PAPERs; nothing when the packing finds no room.
std::optional<ModeDrawing> PackUlaPlus(const std::vector<std::array<std::uint8_t, 2>>& wanted, ModeShape shape);

// A 512 x 192 Timex hi-res picture: two colours, an INK and its complement.
std::optional<ModeDrawing> ExactHiRes(const Picture& field);

// The border of a 384 x 304 field: each segment one colour of the eight
// without BRIGHT; nothing when one is not.
std::optional<std::vector<std::uint8_t>> ExactBorder(const Picture& field, const ScreenColours& colours);

}  // namespace picture_in
