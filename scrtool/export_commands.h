#pragma once
// export and extract: a screen out to a build, screens in from tapes and
// snapshots. Their command-line checks are declared with the command table.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <set>
#include <span>
#include <string>
#include <vector>

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
// The screens' names extract has taken in one run, by the files' real names
// (the inputs' too): a name taken gets another, so that no screen of the run
// replaces another screen, or an input, of the same run.
class ExtractNames {
public:
    explicit ExtractNames(const std::vector<std::string>& inputs);
    // The first candidate (in FOLDER, with .scr) that is free; when each is
    // taken, the first followed by -2, -3, ... that is.
    std::string Take(const std::filesystem::path& folder, const std::vector<std::string>& candidates);

private:
    static std::string Identity(const std::string& name);
    std::set<std::string> taken_;
};

bool ExtractScreens(const Invocation& inv, const std::string& input, const WriteFile& write, ExtractNames& names);

}  // namespace scrtool
