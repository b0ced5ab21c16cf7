// Prints the quality table of the modes: for each picture named (or each in
// the test pictures folder), the blurred PSNR of the classic screen's
// refined conversion and each mode's gain over it, and the mean flicker of
// the gigascreen modes; then S-CIELAB at 30 pixels a degree for the classic
// screen and each mode (lower is better).
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "picture_in/import.h"
#include "picture_in/mode_convert.h"
#include "picture_in/quality.h"
#include "picture_in/test_pictures.h"
#include "screen/screen_layout.h"

using namespace picture_in;

namespace {

struct Row {
    const char* name;
    ModeFile file;
    Flicker flicker;
};
constexpr Row Rows[] = {{"8x4", ModeFile::Bmc4, Flicker::Low},
                        {"8x2", ModeFile::Ifl, Flicker::Low},
                        {"8x1", ModeFile::Mlt, Flicker::Low},
                        {"giga low", ModeFile::Gigascreen, Flicker::Low},
                        {"giga any", ModeFile::Gigascreen, Flicker::Any},
                        {"ulaplus", ModeFile::UlaPlus, Flicker::Low},
                        {"hicolour+ulaplus", ModeFile::TimexHiColourUlaPlus, Flicker::Low}};
constexpr int RowCount = static_cast<int>(std::size(Rows));

// The screen area of what a mode shows.
std::vector<LinearRgb> ScreenPart(const std::vector<LinearRgb>& seen, ModeShape shape) {
    if (!shape.border)
        return seen;
    std::vector<LinearRgb> part;
    for (int y = 0; y < screen::ScreenHeight; ++y) {
        const auto row = seen.begin() + static_cast<std::ptrdiff_t>(y + BorderTop) * BorderFieldWidth + BorderLeft;
        part.insert(part.end(), row, row + screen::ScreenWidth);
    }
    return part;
}

// The screen's target placed on the field, the border in the background.
std::vector<LinearRgb> FieldOf(const std::vector<LinearRgb>& target, ModeShape shape) {
    if (!shape.border)
        return target;
    std::vector<LinearRgb> field(static_cast<std::size_t>(BorderFieldWidth) * BorderFieldHeight);
    for (int y = 0; y < screen::ScreenHeight; ++y)
        std::copy_n(target.begin() + static_cast<std::ptrdiff_t>(y) * screen::ScreenWidth, screen::ScreenWidth,
                    field.begin() + static_cast<std::ptrdiff_t>(y + BorderTop) * BorderFieldWidth + BorderLeft);
    return field;
}

constexpr double PixelsPerDegree = 30;

Picture SrgbOf(const std::vector<LinearRgb>& pixels) {
    Picture picture{screen::ScreenWidth, screen::ScreenHeight, {}};
    for (const LinearRgb& c : pixels)
        picture.pixels.push_back(Rgb{SrgbLevel(c.red), SrgbLevel(c.green), SrgbLevel(c.blue)});
    return picture;
}

void PrintHeader(const char* first) {
    std::printf("| picture | %s |", first);
    for (const Row& row : Rows)
        std::printf(" %s |", row.name);
    std::printf("\n|---|---|");
    for (int i = 0; i < RowCount; ++i)
        std::printf("---|");
    std::printf("\n");
}

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
    std::printf("| picture | classic dB |");
    for (const Row& row : Rows)
        std::printf(" %s |", row.name);
    std::printf(" flicker low / any |\n|---|---|");
    for (int i = 0; i <= RowCount; ++i)
        std::printf("---|");
    std::printf("\n");
    std::vector<double> sums(RowCount + 3, 0.0);
    std::vector<std::vector<double>> cielab;  // per picture: classic, then each row
    for (const auto& file : files) {
        const render::Palette window = render::WindowPalette;
        const PreparedResult result = Prepare(testing::ReadFile(file), ImportOptions{}, std::span(&window, 1));
        if (!result.prepared) {
            std::fprintf(stderr, "%s: %s\n", file.c_str(), result.cause.c_str());
            return 1;
        }
        const ScreenColours colours = ColoursOf(result.prepared->palette);
        const std::vector<LinearRgb> target = TargetOf(*result.prepared, ImportOptions{});
        const std::vector<LinearRgb> eye = Blurred(target, 1.0);
        const Drawing classic = Convert(Target{target, colours, Bright::Auto}, Dither::Refined);
        const double base = Psnr(eye, Blurred(DrawnLinear(classic, colours), 1.0));
        const Picture wanted = SrgbOf(target);
        cielab.push_back({SCielab(wanted, SrgbOf(DrawnLinear(classic, colours)), PixelsPerDegree)});
        sums[0] += base;
        std::printf("| %s | %.2f |", file.filename().c_str(), base);
        double flicker[2] = {0, 0};
        for (int r = 0; r < RowCount; ++r) {
            const ModeShape shape = ShapeOf(Rows[r].file);
            ModeOptions options;
            options.flicker = Rows[r].flicker;
            const ModeDrawing drawing = ConvertToMode(FieldOf(target, shape), colours, shape, options);
            const std::vector<LinearRgb> seen = ScreenPart(SeenOf(drawing, colours), shape);
            const double db = Psnr(eye, Blurred(seen, 1.0)) - base;
            cielab.back().push_back(SCielab(wanted, SrgbOf(seen), PixelsPerDegree));
            sums[r + 1] += db;
            std::printf(" %+.2f |", db);
            if (shape.frames == 2)
                flicker[Rows[r].flicker == Flicker::Low ? 0 : 1] = MeanFlicker(drawing, colours);
        }
        sums[RowCount + 1] += flicker[0];
        sums[RowCount + 2] += flicker[1];
        std::printf(" %.3f / %.3f |\n", flicker[0], flicker[1]);
    }
    const double n = static_cast<double>(files.size());
    std::printf("| mean | %.2f |", sums[0] / n);
    for (int r = 0; r < RowCount; ++r)
        std::printf(" %+.2f |", sums[r + 1] / n);
    std::printf(" %.3f / %.3f |\n", sums[RowCount + 1] / n, sums[RowCount + 2] / n);
    std::printf("\nS-CIELAB at %.0f pixels a degree (lower is better):\n\n", PixelsPerDegree);
    PrintHeader("classic");
    std::vector<double> means(RowCount + 1, 0.0);
    for (std::size_t f = 0; f < files.size(); ++f) {
        std::printf("| %s |", files[f].filename().c_str());
        for (std::size_t r = 0; r < cielab[f].size(); ++r) {
            std::printf(" %.2f |", cielab[f][r]);
            means[r] += cielab[f][r] / n;
        }
        std::printf("\n");
    }
    std::printf("| mean |");
    for (double mean : means)
        std::printf(" %.2f |", mean);
    std::printf("\n");
}
