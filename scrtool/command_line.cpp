#include "scrtool/command_line.h"

#include <algorithm>
#include <charconv>
#include <utility>

#include "scrtool/option_table.h"

namespace scrtool {

std::optional<int> WholeNumber(std::string_view text, int low, int high) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc{} || stop != end || value < low || value > high)
        return std::nullopt;
    return value;
}

std::string RangeText(int low, int high) {
    return "a whole number from " + std::to_string(low) + " to " + std::to_string(high);
}

namespace {

bool IsHelpOption(std::string_view arg) { return arg == "--help" || arg == "-h"; }

// A sign followed by what the operand fields read as a number ("-1", "-$10",
// "-%101"). No option of ours looks like that, so such an argument is never
// taken for one.
bool LooksLikeNegativeNumber(std::string_view arg) {
    if (arg.size() < 2 || arg[0] != '-')
        return false;
    const char first = arg[1];
    return (first >= '0' && first <= '9') || first == '$' || first == '%';
}

// The option row spelled `name` that the command takes, else the first row
// of that spelling: two commands may each have their own row of one name
// (png's --palette and import's, which also takes "auto").
const OptionSpec* OptionSpelled(std::string_view name, const CommandSpec& command) {
    const OptionSpec* first = nullptr;
    for (const OptionSpec& option : Options)
        for (std::string_view spelling : Words(option.names))
            if (spelling == name) {
                if (Takes(command, option))
                    return &option;
                first = first ? first : &option;
            }
    return first;
}

// "a, b or c" for a refusal's hint.
std::string Alternatives(const std::vector<std::string_view>& words) {
    std::string text;
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (i > 0)
            text += i + 1 == words.size() ? " or " : ", ";
        text.append(words[i]);
    }
    return text;
}

class Parser {
public:
    Parser(const std::vector<std::string>& arguments, Invocation& invocation)
        : args_(arguments), inv_(invocation), seen_(Options.size(), false),
          operandsWanted_(Words(invocation.command->operands).size()) {}

    // Reads every argument after the command; the text of the first fault.
    std::string ReadAll() {
        next_ = 1;
        while (next_ < args_.size()) {
            const std::string& arg = args_[next_++];
            std::string fault = IsPositional(arg) ? AddPositional(arg) : ReadOption(arg);
            if (!fault.empty())
                return fault;
        }
        return {};
    }

    bool helpAsked = false;

private:
    bool IsPositional(std::string_view arg) {
        if (filesOnly_ || arg == StandardStream || arg.empty() || arg[0] != '-' || LooksLikeNegativeNumber(arg))
            return true;
        // A leading operand is taken as it stands unless it is one of our
        // options: the operand fields read any text.
        const std::string_view name = arg.substr(0, arg.starts_with("--") ? arg.find('=') : arg.npos);
        return inv_.operands.size() < operandsWanted_ && !OptionSpelled(name, *inv_.command) && !IsHelpOption(arg) &&
               arg != "--";
    }

    std::string AddPositional(const std::string& arg) {
        if (inv_.operands.size() < operandsWanted_)
            inv_.operands.push_back(arg);
        else
            inv_.inputs.push_back(arg);
        return {};
    }

    std::string ReadOption(const std::string& arg) {
        if (arg == "--") {
            filesOnly_ = true;
            return {};
        }
        if (IsHelpOption(arg)) {
            helpAsked = true;
            return {};
        }
        std::string_view name = arg;
        std::optional<std::string_view> attached;
        if (const std::size_t equals = name.find('='); name.starts_with("--") && equals != std::string_view::npos) {
            attached = name.substr(equals + 1);
            name = name.substr(0, equals);
        }
        const OptionSpec* option = OptionSpelled(name, *inv_.command);
        if (!option || !Takes(*inv_.command, *option))
            return "unknown option " + Quoted(name) + " for " + Quoted(inv_.command->name);
        const std::size_t row = static_cast<std::size_t>(option - Options.data());
        if (seen_[row] && !option->repeatable)
            return "option " + Quoted(name) + " given twice";
        seen_[row] = true;
        if (option->kind == ValueKind::Flag) {
            if (attached)
                return "option " + Quoted(name) + " takes no value";
            inv_.*(option->flag) = true;
            return {};
        }
        // The value after '=', else the next argument whatever it looks like.
        if (!attached && next_ >= args_.size())
            return "option " + Quoted(name) + " needs a value";
        const std::string value = attached ? std::string(*attached) : args_[next_++];
        return Store(*option, name, value);
    }

    std::string Store(const OptionSpec& option, std::string_view name, const std::string& value) {
        switch (option.kind) {
        case ValueKind::Number: {
            const std::optional<int> number = WholeNumber(value, option.low, option.high);
            if (!number)
                return "bad " + std::string(option.noun) + " " + Quoted(value) + " (" +
                       RangeText(option.low, option.high) + ")";
            inv_.*(option.number) = *number;
            return {};
        }
        case ValueKind::Choice: {
            const std::vector<std::string_view> choices = ChoicesOf(option);
            const auto found = std::find(choices.begin(), choices.end(), value);
            if (found == choices.end()) {
                const std::string hint = choices.size() <= 3
                                             ? Alternatives(choices)
                                             : "see 'scrtool help " + std::string(inv_.command->name) + "'";
                return "unknown " + std::string(option.noun) + " " + Quoted(value) + " (" + hint + ")";
            }
            const auto place = static_cast<std::size_t>(found - choices.begin());
            if (option.choose)
                option.choose(inv_, place);
            else
                inv_.*(option.number) = static_cast<int>(place);
            return {};
        }
        case ValueKind::File:
        case ValueKind::Folder:
            if (value.empty())
                return "option " + Quoted(name) +
                       (option.kind == ValueKind::File ? " needs a file name" : " needs a folder name");
            [[fallthrough]];
        default: inv_.*(option.text) = value; return {};
        }
    }

    const std::vector<std::string>& args_;
    Invocation& inv_;
    std::vector<bool> seen_;
    std::size_t operandsWanted_;
    std::size_t next_ = 0;
    bool filesOnly_ = false;
};

using Parsed = base::Result<Invocation>;

Parsed Fail(std::string error) { return base::Refusal(std::move(error)); }

Parsed HelpFor(const CommandSpec* topic) {
    Invocation help;
    help.command = CommandNamed("help");
    help.topic = topic;
    return help;
}

Parsed ParseHelp(const std::vector<std::string>& args) {
    if (args.size() > 2)
        return Fail("help takes at most one command name");
    if (args.size() == 1)
        return HelpFor(nullptr);
    const CommandSpec* topic = CommandNamed(args[1]);
    if (!topic)
        return Fail("unknown command " + Quoted(args[1]));
    return HelpFor(topic);
}

// The leading operands are all there and the first is one of its words.
std::string CheckOperands(const Invocation& inv) {
    const CommandSpec& command = *inv.command;
    const std::vector<std::string_view> names = Words(command.operands);
    if (inv.operands.size() < names.size())
        return std::string(command.name) + " needs " + std::string(command.operands) + " before the files";
    const std::vector<std::string_view> choices =
        command.firstOperandChoices ? command.firstOperandChoices() : std::vector<std::string_view>{};
    if (!choices.empty() && std::find(choices.begin(), choices.end(), inv.operands[0]) == choices.end())
        return "unknown " + std::string(names[0]) + " " + Quoted(inv.operands[0]) + " (" + Alternatives(choices) + ")";
    return {};
}

long FromStandardInput(const Invocation& inv) {
    return std::count(inv.inputs.begin(), inv.inputs.end(), std::string(StandardStream));
}

// -o, --out-dir and --in-place against the destinations the command takes.
std::string OutputOrOutDirFault(const Invocation& inv, bool required) {
    if (inv.output && inv.outDir)
        return "give either -o or --out-dir, not both";
    if (required && !inv.output && !inv.outDir)
        return "say where the result goes: -o OUT (one file) or --out-dir DIR";
    if (inv.output && inv.inputs.size() != 1)
        return "-o takes exactly one input file; use --out-dir for several";
    return {};
}

std::string DestinationFault(const Invocation& inv) {
    const CommandSpec& command = *inv.command;
    const bool fromStandardInput = FromStandardInput(inv) > 0;
    if (!command.namesAfterInput.empty() && fromStandardInput)
        return std::string(command.namesAfterInput) + ", so it cannot read standard input";
    std::string fault;
    switch (command.destination) {
    case Destination::None: return {};
    case Destination::Output: return inv.output ? "" : std::string(command.name) + " needs -o OUT";
    case Destination::OutputOrInPlace:
        if (inv.output && inv.inPlace)
            return "give either -o or --in-place, not both";
        if (!inv.output && !inv.inPlace)
            return "say where the result goes: -o OUT (one file) or --in-place (rewrites the files)";
        if (inv.output && inv.inputs.size() != 1)
            return "-o takes exactly one input file; use --in-place for several";
        if (inv.inPlace && fromStandardInput)
            return "standard input cannot be rewritten in place; use -o";
        return {};
    case Destination::OutputOrBeside: fault = OutputOrOutDirFault(inv, false); break;
    case Destination::OutputOrOutDir: fault = OutputOrOutDirFault(inv, true); break;
    case Destination::OutDirOrBeside:
    case Destination::Beside: break;
    }
    if (!fault.empty())
        return fault;
    if (fromStandardInput && !inv.output && !command.standardInputNeeds.empty())
        return "a " + std::string(command.inputNoun) + " read from standard input needs -o " +
               std::string(command.standardInputNeeds);
    if (inv.outDir && *inv.outDir == StandardStream)
        return "--out-dir needs a folder, not '-'";
    return {};
}

// The rules every row keeps, then the row's own.
std::string CommandFault(Invocation& inv) {
    const CommandSpec& command = *inv.command;
    std::string fault = CheckOperands(inv);
    if (fault.empty() && FromStandardInput(inv) > 1)
        fault = "standard input ('-') can be read only once";
    if (fault.empty() && command.checkFirst && command.check)
        fault = command.check(inv);
    if (fault.empty() && !command.wholeRun && inv.inputs.empty())
        fault = "no " + std::string(command.inputNoun) + " file given";
    if (fault.empty())
        fault = DestinationFault(inv);
    if (fault.empty() && !command.checkFirst && command.check)
        fault = command.check(inv);
    return fault;
}

}  // namespace

Parsed ParseArguments(const std::vector<std::string>& args) {
    if (args.empty())
        return Fail("no command given");
    if (IsHelpOption(args[0]))
        return HelpFor(nullptr);
    if (args[0] == "--version" || args[0] == "version") {
        if (args.size() > 1)
            return Fail("--version takes no arguments");
        Invocation version;
        version.command = CommandNamed("version");
        return version;
    }
    if (args[0] == "help")
        return ParseHelp(args);
    const CommandSpec* command = CommandNamed(args[0]);
    if (!command || command->group == Group::Hidden)
        return Fail((args[0].starts_with("-") ? "unknown option " : "unknown command ") + Quoted(args[0]));
    Invocation inv;
    inv.command = command;
    Parser parser(args, inv);
    std::string fault = parser.ReadAll();
    if (parser.helpAsked)
        return HelpFor(command);
    if (fault.empty())
        fault = CommandFault(inv);
    if (!fault.empty())
        return Fail(std::move(fault));
    return inv;
}

}  // namespace scrtool
