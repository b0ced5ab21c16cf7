#include "app/program_icon.h"

#include <cstdint>
#include <cstdio>
#include <map>
#include <vector>

#include "toolkit/windows/windows.h"

// The same picture is installed as the desktop entry's icon.
#include "app/scrlab_icon.xpm"

namespace app {
namespace {

constexpr std::uint32_t Opaque = 0xFF000000;

// Reads the one-character-per-pixel picture with "#RRGGBB" colours it is kept in.
std::vector<std::uint32_t> IconPixels(int& width, int& height) {
    int colours = 0;
    int charsPerPixel = 0;
    if (std::sscanf(scrlab_icon_xpm[0], "%d %d %d %d", &width, &height, &colours, &charsPerPixel) != 4 ||
        charsPerPixel != 1)
        return {};
    std::map<char, std::uint32_t> palette;
    for (int i = 1; i <= colours; ++i) {
        const char* entry = scrlab_icon_xpm[i];
        unsigned rgb = 0;
        if (std::sscanf(entry + 1, " c #%6x", &rgb) == 1)
            palette[entry[0]] = Opaque | rgb;
    }
    std::vector<std::uint32_t> pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels.push_back(palette[scrlab_icon_xpm[1 + colours + y][x]]);
    return pixels;
}

}  // namespace

void SetProgramIcon() {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels = IconPixels(width, height);
    if (!pixels.empty())
        toolkit::SetProgramIcon(pixels.data(), width, height);
}

}  // namespace app
