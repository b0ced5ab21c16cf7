#pragma once
// Throw-away folders, real screens and runs of the built scrtool program for
// the tests. Pixels and cells are addressed with arithmetic of their own here,
// so that a slip in the library's offsets cannot hide in both.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "files/files_test_support.h"
#include "render/view_rule.h"
#include "screen/screen_layout.h"

namespace scrtool::testing {

using files::testing::Bytes;
using files::testing::ReadBytes;
using files::testing::TempFolder;
using files::testing::WriteBytes;
using ScreenBytes = std::array<std::uint8_t, screen::ScreenSize>;

Bytes ToBytes(const ScreenBytes& screen);

struct RealScreen {
    std::string name;   // e.g. "screen01"
    std::string path;
    ScreenBytes bytes;
};
// Every .scr of the test data, sorted by name.
const std::vector<RealScreen>& RealScreens();

struct RunResult {
    int status = -1;  // exit status, or -1 when it did not exit normally
    std::string out;
    std::string err;
};
enum class RunAs { Us, Nobody };

// Runs scrtool with the arguments, standard input fed from `input`. `env`
// entries ("NAME=value") are added to the environment. RunAs::Nobody drops
// root's privileges in the child, so that permissions apply to it.
RunResult RunTool(const std::vector<std::string>& arguments, const Bytes& input = {},
                  const std::vector<std::string>& env = {}, RunAs user = RunAs::Us);

// In a forked child: becomes the program (the built scrtool unless another
// copy is named) with the arguments; status 127 when it cannot.
[[noreturn]] void ExecTool(const std::vector<std::string>& arguments,
                           const std::string& program = SCRTOOL_PROGRAM);

// Pixel (x, y) of a screen, from the bit fields of y.
bool PixelOf(const std::uint8_t* screen, int x, int y);
void SetPixel(std::uint8_t* screen, int x, int y, bool on);
std::uint8_t& AttributeOf(std::uint8_t* screen, int column, int row);
std::uint8_t AttributeOf(const std::uint8_t* screen, int column, int row);

struct Image {
    int width = 0;
    int height = 0;
    std::vector<render::Rgb> pixels;
    render::Rgb at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};
// Decodes any PNG into 8-bit RGB; width 0 when it is no PNG.
Image DecodePng(const Bytes& png);

} // namespace scrtool::testing
