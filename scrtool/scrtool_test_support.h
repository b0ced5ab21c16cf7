#pragma once
// Throw-away folders and runs of the built scrtool program for the tests; the
// real screens and pixel addresses come from the common test support.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "files/files_test_support.h"
#include "render/view_rule.h"
#include "screen/screen_layout.h"
#include "testsupport/pixel_oracle.h"
#include "testsupport/real_screens.h"

namespace scrtool::testing {

using files::testing::Bytes;
using files::testing::ReadBytes;
using files::testing::TempFolder;
using files::testing::WriteBytes;
using testsupport::PixelOf;
using testsupport::RealScreen;
using testsupport::RealScreens;
using testsupport::ScreenBytes;
using testsupport::SetPixel;

Bytes ToBytes(const ScreenBytes& screen);

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
[[noreturn]] void ExecTool(const std::vector<std::string>& arguments, const std::string& program = SCRTOOL_PROGRAM);

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

}  // namespace scrtool::testing
