#include "scrtool/mode_facts.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <set>
#include <utility>

#include "picture/linear_light.h"
#include "picture/palettes.h"
#include "scrtool/screen_facts.h"
#include "screen/screen_layout.h"

namespace scrtool {
namespace {

using screen::ColourCode;

// The colours of each 8 x cellHeight cell of one frame (the border aside),
// as a sorted set, counted once each.
int CellColourSets(const screen::DecodedPicture& picture, int frame, int cellHeight, const modes::Border& border) {
    std::set<std::vector<ColourCode>> seen;
    const int right = picture.width - border.right, bottom = picture.height - border.bottom;
    for (int top = border.top; top < bottom; top += cellHeight)
        for (int left = border.left; left < right; left += screen::CellSize) {
            std::vector<ColourCode> colours;
            for (int y = top; y < std::min(top + cellHeight, bottom); ++y)
                for (int x = left; x < std::min(left + screen::CellSize, right); ++x) {
                    const ColourCode code = picture.at(frame, x, y);
                    if (std::find(colours.begin(), colours.end(), code) == colours.end())
                        colours.push_back(code);
                }
            std::sort(colours.begin(), colours.end());
            seen.insert(std::move(colours));
        }
    return static_cast<int>(seen.size());
}

// The Rec. 709 luminance of a colour in linear light.
double Luminance(picture::LinearRgb c) { return 0.2126 * c.red + 0.7152 * c.green + 0.0722 * c.blue; }

double MeanFlicker(const screen::DecodedPicture& picture) {
    const picture::Levels levels = picture::WindowPalette().levels;  // scrtool's default palette
    std::array<double, screen::ColourCodeCount> luminance{};
    for (int code = 0; code < screen::ColourCodeCount; ++code)
        luminance[code] = Luminance(picture::Linear(picture::ColourOf(static_cast<ColourCode>(code), levels)));
    double sum = 0;
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x)
            sum += std::abs(luminance[picture.at(0, x, y)] - luminance[picture.at(1, x, y)]);
    return sum / (static_cast<double>(picture.width) * picture.height);
}

std::string Fixed3(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", value);
    return text;
}

}  // namespace

base::Result<ModeFacts> ExamineMode(const PictureFile& file) {
    const modes::PictureMode& mode = *file.mode;
    auto decoded = mode.decode(file.bytes, screen::FlashPhase::First);
    if (!decoded)
        return decoded.error();
    ModeFacts facts;
    facts.mode = std::string(mode.name);
    facts.size = file.bytes.size();
    facts.width = decoded->width;
    facts.height = decoded->height * decoded->rowRepeat;
    facts.frames = std::max(mode.framesReported, decoded->frames);
    facts.cells = mode.cellHeight > 0 ? "8x" + std::to_string(mode.cellHeight) : "none";
    facts.palette = std::string(modes::PaletteKindName(mode.palette));
    if (mode.cellHeight > 0)
        for (int frame = 0; frame < decoded->frames; ++frame)
            facts.attributesUsed.push_back(CellColourSets(*decoded, frame, mode.cellHeight, mode.border));
    if (decoded->frames == 2)
        facts.flicker = MeanFlicker(*decoded);
    return facts;
}

std::string ModeInfoText(const std::string& name, const ModeFacts& facts) {
    std::string text = name + ":\n";
    text += "  mode: " + facts.mode + " (" + std::to_string(facts.size) + " bytes)\n";
    text += "  picture: " + std::to_string(facts.width) + "x" + std::to_string(facts.height) + ", " +
            std::to_string(facts.frames) + (facts.frames == 1 ? " frame\n" : " frames\n");
    text += "  cells: " + facts.cells + "\n";
    text += "  palette: " + facts.palette + "\n";
    if (facts.attributesUsed.empty()) {
        text += "  attributes used: none (no cells)\n";
    } else {
        text += "  attributes used:";
        for (std::size_t frame = 0; frame < facts.attributesUsed.size(); ++frame)
            text += (frame ? ", frame " : " frame ") + std::to_string(frame + 1) + ": " +
                    std::to_string(facts.attributesUsed[frame]);
        text += "\n";
    }
    if (facts.flicker)
        text += "  flicker: " + Fixed3(*facts.flicker) + "\n";
    return text;
}

std::string ModeInfoJson(const std::string& name, const ModeFacts& facts) {
    std::string json = "{\"file\":" + JsonString(name) + ",\"mode\":" + JsonString(facts.mode);
    json += ",\"size\":" + std::to_string(facts.size);
    json += ",\"width\":" + std::to_string(facts.width) + ",\"height\":" + std::to_string(facts.height);
    json += ",\"frames\":" + std::to_string(facts.frames);
    json += ",\"cells\":" + JsonString(facts.cells) + ",\"palette\":" + JsonString(facts.palette);
    json += ",\"attributes_used\":[";
    for (std::size_t frame = 0; frame < facts.attributesUsed.size(); ++frame)
        json += (frame ? "," : "") + std::to_string(facts.attributesUsed[frame]);
    json += "]";
    if (facts.flicker)
        json += ",\"flicker\":" + Fixed3(*facts.flicker);
    return json + "}";
}

}  // namespace scrtool
