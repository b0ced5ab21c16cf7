#pragma once
// The real screens shipped for tests (testdata/screens), read once per
// program. A missing, short or long file stops the program with its name.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace testsupport {

constexpr int ScreenFileBytes = 6912;  // 6144 bitmap bytes, then 768 attributes
using ScreenBytes = std::array<std::uint8_t, ScreenFileBytes>;

struct RealScreen {
    std::string name;  // the file's name without ".scr", e.g. "screen01"
    std::string path;
    ScreenBytes bytes;
};

// Every .scr file of the test data folder, sorted by name; there are at least ten.
const std::vector<RealScreen>& RealScreens();
std::vector<std::string> RealScreenNames();
// The screen of that name, with or without ".scr"; throws if there is none.
const RealScreen& RealScreenNamed(const std::string& name);
const ScreenBytes& RealScreenBytes(const std::string& name);
const std::string& RealScreenPath(const std::string& name);

}  // namespace testsupport
