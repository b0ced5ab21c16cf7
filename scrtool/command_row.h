#pragma once
// What a row of scrtool's command table and of its option table holds. The
// rows themselves are in scrtool/command_table.h and scrtool/option_table.h;
// parsing, its refusals, the run, the help texts, the man page's check and
// shell completion all read them.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "scrtool/invocation.h"
#include "screen/operations.h"

namespace scrtool {

struct RunContext;  // what one run carries from file to file (scrtool/run_context.h)

// Where the overview lists a command; Hidden: not at all, nor is it a
// command a file name may follow (help, version).
enum class Group { Transforms, Files, Reports, Hidden };

// Which destinations a command takes. Beside: without -o or --out-dir each
// output goes beside its input, named after it.
enum class Destination {
    None,             // writes nothing, or only where its own operands say (thumbnail)
    OutputOrInPlace,  // -o OUT for one input, or --in-place for any number; one is required
    OutputOrBeside,   // -o OUT for one input, --out-dir DIR, or beside the input
    OutputOrOutDir,   // -o OUT for one input, or --out-dir DIR; one is required
    OutDirOrBeside,   // --out-dir DIR, or beside the input
    Beside,           // beside the input, always
    Output,           // -o OUT, required
};

// What running one input would write: the files, and a name the outputs
// give their contents (export's labels) that must differ between inputs;
// or why the command line cannot be run on that input at all, which
// refuses the whole run before anything is written.
struct Writes {
    std::vector<std::string> files;
    std::string label;
    std::string refusal = {};
};

struct CommandSpec {
    std::string_view name = {};
    Group group = Group::Hidden;
    std::string_view usage = {};     // what follows the name in "Usage: scrtool NAME ..."
    std::string_view summary = {};   // the overview's line
    std::string_view about = {};     // the help text's paragraph, lines ending in '\n'
    std::string_view operands = {};  // leading operands, space-separated names
    std::vector<std::string_view> (*firstOperandChoices)() = nullptr;  // the first operand's words; null: any
    std::string_view inputs = "scr";        // extensions of the files it reads, space-separated
    std::string_view inputNoun = "screen";  // "no screen file given"
    Destination destination = Destination::None;
    // Standard input: what -o must name when reading it ("OUT.png"); or,
    // for a command that names its outputs after the input, the refusal's
    // words ("split names its files after the input"); both empty: allowed.
    std::string_view standardInputNeeds = {};
    std::string_view namesAfterInput = {};
    // Rules beyond the destination's that need the whole command line; the
    // fault, or empty. It may also turn operands into Invocation fields.
    std::string (*check)(Invocation&) = nullptr;
    bool checkFirst = false;            // before the rules every row keeps: its own operands come first
    std::string (*detail)() = nullptr;  // lines help shows after `about`
    const screen::ScreenOperation* operation = nullptr;  // a whole-screen operation's row
    // What one input would write, for the run's collision check; null when
    // it writes nothing named after its inputs.
    Writes (*writes)(const Invocation&, const std::string& input) = nullptr;
    // Runs one input (all of them at once when `wholeRun`); false when it failed.
    bool (*run)(RunContext&, const Invocation&, const std::string& input) = nullptr;
    bool wholeRun = false;
    // Before the first input, given the inputs the run will work through.
    void (*start)(RunContext&, const Invocation&, const std::vector<std::string>& inputs) = nullptr;
    // After the last input (info --json closes its array).
    void (*finish)(RunContext&, const Invocation&) = nullptr;
};

enum class ValueKind { Flag, Number, Choice, File, Folder, Text };

struct OptionSpec {
    std::string_view names = {};    // every spelling, space-separated: "-o --output"
    std::string_view takenBy = {};  // command names, space-separated; "transforms": every transform
    ValueKind kind = ValueKind::Flag;
    std::string_view value = {};  // how help shows the value: "OUT", "N"
    std::string_view noun = {};   // how refusals name the value: "bad scale '9'", "unknown view 'grey'"
    int low = 0;                  // Number: the range
    int high = 0;
    std::vector<std::string_view> (*choices)() = nullptr;  // Choice: the spellings of its rows
    bool repeatable = false;                               // else a second use is refused
    // Where the value goes: a member, or (Choice) a setter given the choice's place.
    bool Invocation::*flag = nullptr;
    int Invocation::*number = nullptr;
    std::optional<std::string> Invocation::*text = nullptr;
    void (*choose)(Invocation&, std::size_t choice) = nullptr;
    std::string_view help = {};         // one line
    std::string (*detail)() = nullptr;  // lines help shows under it
};

// Lookups over the tables, for the parser, help and a completion generator.
const CommandSpec* CommandNamed(std::string_view name);
bool Takes(const CommandSpec& command, const OptionSpec& option);
std::vector<std::string_view> ChoicesOf(const OptionSpec& option);
// The words of a space-separated list.
std::vector<std::string_view> Words(std::string_view list);
// Rewrites its inputs (-o or --in-place): the whole-screen operations and byte-op.
bool IsTransform(const CommandSpec& command);

}  // namespace scrtool
