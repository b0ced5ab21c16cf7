#pragma once
// export and extract: a screen out to a build, screens in from tapes and
// snapshots; how each runs one input and what it writes for it.

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "scrtool/choices.h"
#include "scrtool/command_row.h"
#include "scrtool/screen_io.h"

namespace scrtool {

// What export writes a picture's chosen bytes as.
struct ExportInput {
    std::span<const std::uint8_t> screen;  // tap: the classic screen as it is
    const Bytes& bytes;                    // the part in the order asked for
    std::string label;                     // a name a source gives the bytes
    std::string about;                     // the source's first line
    std::string stem;                      // the input's stem, for a tape's default name
};

struct ExportFormatRow {
    std::string_view spelling;
    std::string_view extension;  // what --out-dir names the file with
    Bytes (*make)(const Invocation&, const ExportInput&);
    bool labelled = false;     // asm and c: the label is a name in the build
    bool wholeScreen = false;  // tap: a classic screen whole; --part and --order do not apply
    bool named = false;        // tap: --name names its blocks
    bool compressed = false;   // zx0: --classic, --backwards and --rcs apply
};

Bytes AsmOf(const Invocation& inv, const ExportInput& in);
Bytes COf(const Invocation& inv, const ExportInput& in);
Bytes BinOf(const Invocation& inv, const ExportInput& in);
Bytes TapOf(const Invocation& inv, const ExportInput& in);
Bytes Zx0Of(const Invocation& inv, const ExportInput& in);

// The FORMAT operand's words, in the help's order.
inline constexpr std::array ExportFormats{
    ExportFormatRow{"asm", ".asm", AsmOf, true},
    ExportFormatRow{"c", ".c", COf, true},
    ExportFormatRow{"bin", ".bin", BinOf},
    ExportFormatRow{"tap", ".tap", TapOf, false, true, true},
    ExportFormatRow{"zx0", ".zx0", Zx0Of, false, false, false, true},
};

std::string CheckExport(Invocation& inv);
std::string CheckExtract(Invocation& inv);
std::string RcsDetail();

// Where export writes the result for `input`, and the label a source gives
// it; or why the input's mode has not the part asked for, or holds nothing
// --order or --rcs arranges.
Writes ExportWrites(const Invocation& inv, const std::string& input);
bool RunExport(RunContext& run, const Invocation& inv, const std::string& input);

// Writes a file whole, reporting a failure itself; false when it failed.
using WriteFile = std::function<bool(const std::string& name, std::span<const std::uint8_t> bytes, Durability)>;

// The family of names extract writes for `input` (NAME*.scr in its folder):
// two inputs of one name would write over each other's screens.
std::string ExtractOutputs(const Invocation& inv, const std::string& input);
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
Writes ExtractWrites(const Invocation& inv, const std::string& input);
// Takes the run's names before the first input.
void StartExtract(RunContext& run, const Invocation& inv, const std::vector<std::string>& inputs);
bool RunExtract(RunContext& run, const Invocation& inv, const std::string& input);

}  // namespace scrtool
