// Prints the quality table: for each picture named (or each in the test
// pictures folder), PSNR blurred and plain for the yardstick and each mode.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "picture_in/import.h"
#include "picture_in/quality.h"

using namespace picture_in;

namespace {

struct Mode {
    const char* name;
    bool yardstick;
    Dither dither;
};
constexpr Mode Modes[] = {{"yardstick", true, Dither::None},
                          {"none", false, Dither::None},
                          {"floyd-steinberg", false, Dither::FloydSteinberg},
                          {"jarvis", false, Dither::Jarvis},
                          {"bayer", false, Dither::Bayer},
                          {"refined", false, Dither::Refined}};

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::filesystem::path> files;
    for (int i = 1; i < argc; ++i)
        files.emplace_back(argv[i]);
    if (files.empty()) {
        for (const auto& entry : std::filesystem::directory_iterator(SCRLAB_PICTURES_DIR))
            if (entry.path().extension() != ".md")
                files.push_back(entry.path());
        std::sort(files.begin(), files.end());
    }
    std::printf("| picture |");
    for (const Mode& mode : Modes)
        std::printf(" %s |", mode.name);
    std::printf("\n|---|");
    for (std::size_t i = 0; i < std::size(Modes); ++i)
        std::printf("---|");
    std::printf("\n");
    std::vector<Quality> sums(std::size(Modes), Quality{0, 0});
    for (const auto& file : files) {
        std::ifstream in(file, std::ios::binary);
        const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
        const render::Palette window = render::WindowPalette;
        const base::Result<Prepared> result = Prepare(bytes, ImportOptions{}, std::span(&window, 1));
        if (!result) {
            std::fprintf(stderr, "%s: %s\n", file.c_str(), result.error().What().c_str());
            return 1;
        }
        const ScreenColours colours = ColoursOf(result->palette);
        const std::vector<LinearRgb> pixels = TargetOf(*result, ImportOptions{});
        const Target target{pixels, colours, Bright::Auto};
        std::printf("| %s |", file.filename().c_str());
        for (std::size_t m = 0; m < std::size(Modes); ++m) {
            const Drawing drawing = Modes[m].yardstick ? Yardstick(target) : Convert(target, Modes[m].dither);
            const Quality q = QualityOf(target.pixels, drawing, colours);
            sums[m].blurred += q.blurred;
            sums[m].plain += q.plain;
            std::printf(" %.2f / %.2f |", q.blurred, q.plain);
        }
        std::printf("\n");
    }
    std::printf("| mean |");
    for (const Quality& sum : sums)
        std::printf(" %.2f / %.2f |", sum.blurred / files.size(), sum.plain / files.size());
    std::printf("\n");
}
