#pragma once
// export and extract: a screen out to a build, screens in from tapes and
// snapshots. Their command-line checks are declared with the command table.

#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "scrtool/invocation.h"
#include "scrtool/screen_io.h"

namespace scrtool {

// Writes a file whole, reporting a failure itself; false when it failed.
using WriteFile = std::function<bool(const std::string& name, std::span<const std::uint8_t> bytes, Durability)>;

// Where export writes the result for `input`.
std::string ExportOutput(const Invocation& inv, const std::string& input);
// The family of names extract writes for `input` (NAME*.scr in its folder):
// two inputs of one name would write over each other's screens.
std::string ExtractOutputs(const Invocation& inv, const std::string& input);

bool ExportScreen(const Invocation& inv, const std::string& input, const WriteFile& write);
bool ExtractScreens(const Invocation& inv, const std::string& input, const WriteFile& write);

}  // namespace scrtool
