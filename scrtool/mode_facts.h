#pragma once
// What info reports about a picture file of a mode other than the classic
// screen: the mode and its facts, and how many colour pairs its cells use.

#include <optional>
#include <string>
#include <vector>

#include "base/result.h"
#include "scrtool/mode_input.h"

namespace scrtool {

struct ModeFacts {
    std::string mode;  // the row's name
    std::uint64_t size = 0;
    int width = 0;  // of the picture at scale 1
    int height = 0;
    int frames = 1;       // as the format counts them
    std::string cells;    // "8x8", "8x1", or "none"
    std::string palette;  // the palette kind in words
    // Per decoded frame, the distinct colour sets its cells show (one colour
    // or two): the attributes a frame uses, however the format stores them.
    std::vector<int> attributesUsed;
    // Two frames: the mean difference in linear luminance between them at
    // each pixel, in the window's palette (0 steady, 1 black against white).
    std::optional<double> flicker;
};

base::Result<ModeFacts> ExamineMode(const PictureFile& file);

std::string ModeInfoText(const std::string& name, const ModeFacts& facts);
std::string ModeInfoJson(const std::string& name, const ModeFacts& facts);

}  // namespace scrtool
