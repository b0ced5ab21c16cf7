#include "app/command_line.h"

#include <gtest/gtest.h>

namespace app {
namespace {

// An option typed at scrlab reaches standard error quoted: one line, and no
// escape sequence for the terminal to obey.
TEST(CommandLine, AnUnknownOptionIsQuotedAsTheShellReadsIt) {
    EXPECT_EQ(ReadCommandLine({"-x"}).refusal, "scrlab: unknown option '-x' (usage: scrlab [FILE])");
    EXPECT_EQ(ReadCommandLine({"-\x1b]0;pwned\a"}).refusal,
              "scrlab: unknown option $'-\\E]0;pwned\\x07' (usage: scrlab [FILE])");
    EXPECT_EQ(ReadCommandLine({"--\nFAKE: saved"}).refusal,
              "scrlab: unknown option $'--\\nFAKE: saved' (usage: scrlab [FILE])");
}

}  // namespace
}  // namespace app
