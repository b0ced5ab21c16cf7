#include "picture_in/linear_light.h"

#include "picture/colours.h"

namespace picture_in {

ScreenColours ColoursOf(render::Palette palette) {
    ScreenColours colours{};
    for (int index = 0; index < screen::SpectrumColourCodes; ++index) {
        colours.srgb[index] = picture::ColourOf(static_cast<screen::ColourCode>(index), palette);
        colours.linear[index] = Linear(colours.srgb[index]);
    }
    return colours;
}

}  // namespace picture_in
