// A picture that cannot be encoded fails its own file and no other: the
// encoder once threw out of the run and abandoned every file after it.
#include <gtest/gtest.h>

#include <filesystem>

#include "scrtool/commands.h"
#include "scrtool/png_file.h"
#include "scrtool/scrtool_test_support.h"

namespace scrtool {
namespace {

int encodingsLeft = -1;  // until the failing one; negative: none fails

}  // namespace

// This program's own seam, linked before the library's (which never fails).
base::Status seams::BeforePngEncoding() {
    if (encodingsLeft < 0 || encodingsLeft-- > 0)
        return base::Done{};
    return base::Refusal("PNG encoding failed");
}

namespace testing {
namespace {

TEST(EncodingFailure, FailsItsFileAndTheOthersAreStillWritten) {
    TempFolder folder;
    std::vector<std::string> arguments{"png", "--out-dir", folder / "out"};
    for (int i = 0; i < 3; ++i) {
        const std::string name = folder / ("s" + std::to_string(i) + ".scr");
        WriteBytes(name, ToBytes(RealScreens()[static_cast<std::size_t>(i)].bytes));
        arguments.push_back(name);
    }
    std::filesystem::create_directory(folder / "out");
    const auto parsed = ParseArguments(arguments);
    ASSERT_TRUE(parsed) << base::RefusalOf(parsed);
    ::testing::internal::CaptureStderr();
    encodingsLeft = 1;  // the second picture
    const int status = scrtool::Run(*parsed);
    encodingsLeft = -1;
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(status, SomeFailed);
    EXPECT_EQ(said, "scrtool: " + (folder / "s1.scr") + ": PNG encoding failed\n");
    EXPECT_TRUE(std::filesystem::exists(folder / "out/s0.png"));
    EXPECT_FALSE(std::filesystem::exists(folder / "out/s1.png"));
    EXPECT_TRUE(std::filesystem::exists(folder / "out/s2.png"));
}

}  // namespace
}  // namespace testing
}  // namespace scrtool
