// Writes scrtool's bash completion to standard output; the build installs it.

#include <cstdio>

#include "scrtool/completion.h"

int main() {
    const std::string text = scrtool::BashCompletion();
    return std::fwrite(text.data(), 1, text.size(), stdout) == text.size() && std::fflush(stdout) == 0 ? 0 : 1;
}
