#pragma once
// A picture file's bytes made into a file of any mode: decoded; written
// exactly when it is a drawing the mode shows (at a whole scale); otherwise
// fitted to the mode's field and converted.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "picture_in/import.h"
#include "picture_in/mode_convert.h"

namespace picture_in {

struct ModeImportOptions {
    ImportOptions import;  // palette, fit, background, dither, BRIGHT and strictness, as for the classic screen
    ModeFile file = ModeFile::Classic;
    Flicker flicker = Flicker::Low;
};

struct ModeImported {
    std::optional<std::vector<std::uint8_t>> bytes;
    std::string cause;
    bool exact = false;  // the picture was a drawing the mode shows, and is written as it was
    double flicker = 0;  // gigascreen: the mean flicker of what was written
};

// The classic screen's own import is ImportPicture, with its finer choice
// of BRIGHT; ModeFile::Classic here goes the way of every other mode.
ModeImported ImportInMode(std::span<const std::uint8_t> bytes, const ModeImportOptions& options,
                          std::span<const render::Palette> candidates);

}  // namespace picture_in
