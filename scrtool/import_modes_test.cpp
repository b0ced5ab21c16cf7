// import into the modes beyond the classic screen, through the program:
// the output's extension or --mode picks the file written, the two may not
// disagree, and --out-dir names outputs by the mode.
#include <filesystem>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "picture_in/test_pictures.h"
#include "scrtool/scrtool_test_support.h"

namespace scrtool {
namespace {

using ::testing::HasSubstr;
using testing::RunTool;
using testing::TempFolder;

std::string Photo(const TempFolder& folder) {
    picture_in::Picture picture = picture_in::testing::Gradient(320, 200);
    const std::string name = folder / "photo.png";
    testing::WriteBytes(name, picture_in::testing::PngOf(picture, picture_in::testing::PngKind::Rgb8));
    return name;
}

TEST(ImportModes, TheOutputsExtensionOrModeChoosesTheFileWritten) {
    const TempFolder folder;
    const std::string photo = Photo(folder);
    const std::pair<std::vector<std::string>, std::uintmax_t> cases[] = {
        {{"-o", folder / "a.img"}, 13824},
        {{"-o", folder / "a.MLT"}, 12288},
        {{"-o", folder / "a.mc"}, 12288},
        {{"-o", folder / "a.ifl"}, 9216},
        {{"-o", folder / "a.bsc"}, 11136},
        {{"-o", folder / "a.bmc4"}, 11904},
        {{"-o", folder / "a.mg1"}, 19456},
        {{"-o", folder / "a.mg2"}, 18688},
        {{"-o", folder / "a.mg4"}, 15616},
        {{"-o", folder / "a.mg8", "--flicker", "any"}, 14080},
        {{"-o", folder / "a.scr"}, 6912},
        {{"-o", folder / "u.scr", "--mode", "ulaplus"}, 6976},
        {{"-o", folder / "t.scr", "--mode", "timex-hicolour"}, 12288},
        {{"-o", folder / "tu.scr", "--mode", "timex-hicolour-ulaplus"}, 12352},
        {{"-o", folder / "th.scr", "--mode", "timex-hires"}, 12289},
        {{"-o", folder / "g.bin", "--mode", "gigascreen"}, 13824},
    };
    for (const auto& [options, size] : cases) {
        std::vector<std::string> arguments{"import", photo};
        arguments.insert(arguments.end(), options.begin(), options.end());
        const testing::RunResult run = RunTool(arguments);
        ASSERT_EQ(run.status, 0) << options[1] << ": " << run.err;
        EXPECT_EQ(std::filesystem::file_size(options[1]), size) << options[1];
    }
}

TEST(ImportModes, AModeThatDisagreesWithTheExtensionIsRefusedBeforeAnythingIsWritten) {
    const TempFolder folder;
    const std::string photo = Photo(folder);
    const testing::RunResult run = RunTool({"import", photo, "--mode", "gigascreen", "-o", folder / "a.mlt"});
    EXPECT_EQ(run.status, 2);
    EXPECT_THAT(run.err, HasSubstr("--mode gigascreen writes .img files, not .mlt"));
    EXPECT_FALSE(std::filesystem::exists(folder / "a.mlt"));
}

TEST(ImportModes, OutDirNamesEachOutputByTheModesExtension) {
    const TempFolder folder;
    const std::string photo = Photo(folder);
    std::filesystem::create_directory(folder / "out");
    for (const auto& [mode, name] :
         {std::pair{"ifl", "photo.ifl"}, {"gigascreen", "photo.img"}, {"ulaplus", "photo.scr"}}) {
        const testing::RunResult run = RunTool({"import", photo, "--mode", mode, "--out-dir", folder / "out"});
        ASSERT_EQ(run.status, 0) << mode << ": " << run.err;
        EXPECT_TRUE(std::filesystem::exists(folder / ("out/" + std::string(name)))) << mode;
        std::filesystem::remove(folder / ("out/" + std::string(name)));
    }
}

}  // namespace
}  // namespace scrtool
