#include "scrtool/command_line.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <utility>

namespace scrtool {
namespace {

constexpr std::array<std::pair<Command, std::string_view>, 14> CommandNames{{
    {Command::Help, "help"}, {Command::Version, "version"},
    {Command::Invert, "invert"}, {Command::Optimize, "optimize"}, {Command::Contour, "contour"},
    {Command::Mask, "mask"}, {Command::Mirror, "mirror"}, {Command::ByteOp, "byte-op"},
    {Command::Split, "split"}, {Command::Join, "join"}, {Command::Png, "png"},
    {Command::Info, "info"}, {Command::Check, "check"}, {Command::Thumbnail, "thumbnail"},
}};

constexpr std::array<std::pair<Condition, std::string_view>, 5> ConditionNames{{
    {Condition::NoInvisiblePixels, "no-invisible-pixels"}, {Condition::NoFlash, "no-flash"},
    {Condition::NoBright, "no-bright"}, {Condition::Optimized, "optimized"},
    {Condition::NotBlank, "not-blank"},
}};

// Which options a command takes; everything else is refused.
enum Takes : unsigned {
    TakesOutput = 1, TakesInPlace = 2, TakesOutDir = 4, TakesPicture = 8, TakesJson = 16, TakesRequire = 32,
};

unsigned OptionsOf(Command command) {
    switch (command) {
    case Command::Invert: case Command::Optimize: case Command::Contour: case Command::Mask:
    case Command::Mirror: case Command::ByteOp:
        return TakesOutput | TakesInPlace;
    case Command::Join: return TakesOutput;
    case Command::Png: return TakesOutput | TakesOutDir | TakesPicture;
    case Command::Info: return TakesJson;
    case Command::Check: return TakesRequire;
    default: return 0;
    }
}

// A whole decimal number in [low, high], nothing before or after it.
std::optional<int> WholeNumber(std::string_view text, int low, int high) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc{} || stop != end || value < low || value > high)
        return std::nullopt;
    return value;
}

// Built by appending: GCC 12 misreads "'" + text + "'" at -O2 (-Wrestrict).
std::string Quoted(std::string_view text) {
    std::string quoted(1, '\'');
    quoted.append(text);
    quoted += '\'';
    return quoted;
}

class Parser {
public:
    Parser(const std::vector<std::string>& arguments, Invocation& invocation)
        : args_(arguments), inv_(invocation) {}

    // Reads from argument `next` to the end; the text of the first fault.
    std::string ReadRest(std::size_t next) {
        next_ = next;
        while (next_ < args_.size()) {
            const std::string& arg = args_[next_++];
            std::string fault = filesOnly_ || arg == StandardStream || arg.empty() || arg[0] != '-'
                                    ? AddInput(arg)
                                    : ReadOption(arg);
            if (!fault.empty())
                return fault;
        }
        return {};
    }

private:
    std::string AddInput(const std::string& name) {
        inv_.inputs.push_back(name);
        return {};
    }

    // The value of an option: after '=' in the same argument, else the next one.
    std::optional<std::string> Value(std::optional<std::string_view> attached) {
        if (attached)
            return std::string(*attached);
        if (next_ >= args_.size())
            return std::nullopt;
        return args_[next_++];
    }

    std::string ReadOption(const std::string& arg) {
        if (arg == "--") {
            filesOnly_ = true;
            return {};
        }
        std::string_view name = arg;
        std::optional<std::string_view> attached;
        if (const std::size_t equals = name.find('='); name.starts_with("--") && equals != std::string_view::npos) {
            attached = name.substr(equals + 1);
            name = name.substr(0, equals);
        }
        if (name == "--help" || name == "-h") {
            helpAsked_ = true;
            return {};
        }
        const unsigned takes = OptionsOf(inv_.command);
        const auto refuse = [&] {
            return "unknown option " + Quoted(name) + " for '" + std::string(CommandName(inv_.command)) + "'";
        };
        const auto needs = [&](unsigned flag) { return (takes & flag) != 0; };
        if (name != "--in-place" && name != "--grid" && name != "--json") {
            const bool known = ((name == "-o" || name == "--output") && needs(TakesOutput)) ||
                               (name == "--out-dir" && needs(TakesOutDir)) ||
                               ((name == "--view" || name == "--scale" || name == "--palette") &&
                                needs(TakesPicture)) ||
                               (name == "--require" && needs(TakesRequire));
            if (!known)
                return refuse();
            const std::optional<std::string> value = Value(attached);
            if (!value)
                return "option " + Quoted(name) + " needs a value";
            return Take(name, *value);
        }
        if (attached)
            return "option " + Quoted(name) + " takes no value";
        if (name == "--in-place" && needs(TakesInPlace))
            return Once(inv_.inPlace, name);
        if (name == "--grid" && needs(TakesPicture))
            return Once(inv_.grid, name);
        if (name == "--json" && needs(TakesJson))
            return Once(inv_.json, name);
        return refuse();
    }

    static std::string Once(bool& flag, std::string_view name) {
        if (flag)
            return "option " + Quoted(name) + " given twice";
        flag = true;
        return {};
    }

    std::string Take(std::string_view name, const std::string& value) {
        if (name == "-o" || name == "--output") {
            if (inv_.output)
                return "option -o given twice";
            if (value.empty())
                return "option -o needs a file name";
            inv_.output = value;
        } else if (name == "--out-dir") {
            if (inv_.outDir)
                return "option --out-dir given twice";
            if (value.empty())
                return "option --out-dir needs a folder name";
            inv_.outDir = value;
        } else if (name == "--view") {
            if (value == "colour" || value == "color")
                inv_.view = View::Colour;
            else if (value == "mono")
                inv_.view = View::Mono;
            else
                return "unknown view " + Quoted(value) + " (colour or mono)";
        } else if (name == "--scale") {
            const std::optional<int> scale = WholeNumber(value, MinScale, MaxScale);
            if (!scale)
                return "bad scale " + Quoted(value) + " (a whole number from 1 to 8)";
            inv_.scale = *scale;
        } else if (name == "--palette") {
            inv_.palette = PaletteNamed(value);
            if (!inv_.palette)
                return "unknown palette " + Quoted(value) + " (see 'scrtool help png')";
        } else {
            const std::optional<Condition> condition = ConditionNamed(value);
            if (!condition)
                return "unknown condition " + Quoted(value) + " (see 'scrtool help check')";
            if (std::find(inv_.conditions.begin(), inv_.conditions.end(), *condition) == inv_.conditions.end())
                inv_.conditions.push_back(*condition);
        }
        return {};
    }

public:
    bool helpAsked_ = false;

private:
    const std::vector<std::string>& args_;
    Invocation& inv_;
    std::size_t next_ = 0;
    bool filesOnly_ = false;
};

bool NamesStandardStream(const std::optional<std::string>& name) { return name && *name == StandardStream; }

// The rules that need the whole command line.
std::string CheckWhole(const Invocation& inv) {
    const auto& in = inv.inputs;
    const long fromStdin = std::count(in.begin(), in.end(), std::string(StandardStream));
    if (fromStdin > 1)
        return "standard input ('-') can be read only once";
    switch (inv.command) {
    case Command::Invert: case Command::Optimize: case Command::Contour: case Command::Mask:
    case Command::Mirror: case Command::ByteOp:
        if (in.empty())
            return "no screen file given";
        if (inv.output && inv.inPlace)
            return "give either -o or --in-place, not both";
        if (!inv.output && !inv.inPlace)
            return "say where the result goes: -o OUT (one file) or --in-place (rewrites the files)";
        if (inv.output && in.size() != 1)
            return "-o takes exactly one input file; use --in-place for several";
        if (inv.inPlace && fromStdin > 0)
            return "standard input cannot be rewritten in place; use -o";
        return {};
    case Command::Split:
        if (in.empty())
            return "no screen file given";
        if (fromStdin > 0)
            return "split names its files after the input, so it cannot read standard input";
        return {};
    case Command::Join:
        if (in.size() != 2)
            return "join takes a bitmap file and an attribute file";
        if (!inv.output)
            return "join needs -o OUT";
        return {};
    case Command::Png:
        if (in.empty())
            return "no screen file given";
        if (inv.output && inv.outDir)
            return "give either -o or --out-dir, not both";
        if (inv.output && in.size() != 1)
            return "-o takes exactly one input file; use --out-dir for several";
        if (fromStdin > 0 && !inv.output)
            return "a screen read from standard input needs -o OUT.png";
        if (NamesStandardStream(inv.outDir))
            return "--out-dir needs a folder, not '-'";
        return {};
    case Command::Info:
        return in.empty() ? "no screen file given" : "";
    case Command::Check:
        if (in.empty())
            return "no screen file given";
        return inv.conditions.empty() ? "name at least one condition with --require NAME" : "";
    default:
        return {};
    }
}

Parsed Fail(std::string error) { return Parsed{std::nullopt, std::move(error)}; }

Parsed HelpFor(std::optional<Command> topic) {
    Invocation help;
    help.command = Command::Help;
    help.topic = topic;
    return Parsed{std::move(help), {}};
}

Parsed Ready(Invocation inv) {
    std::string fault = CheckWhole(inv);
    if (!fault.empty())
        return Fail(std::move(fault));
    return Parsed{std::move(inv), {}};
}

Parsed ParseHelp(const std::vector<std::string>& args) {
    Invocation inv;
    inv.command = Command::Help;
    if (args.size() > 2)
        return Fail("help takes at most one command name");
    if (args.size() == 2) {
        inv.topic = CommandNamed(args[1]);
        if (!inv.topic)
            return Fail("unknown command " + Quoted(args[1]));
    }
    return Parsed{inv, {}};
}

// INDEX B1 B2 are the three arguments right after the command, taken as they
// stand: an operand such as "-1" or "-$10" is a number, not an option.
Parsed ParseByteOp(const std::vector<std::string>& args, Invocation inv) {
    for (std::size_t i = 1; i < args.size() && args[i] != "--"; ++i)
        if (args[i] == "--help" || args[i] == "-h")
            return HelpFor(Command::ByteOp);
    if (args.size() < 4)
        return Fail("byte-op needs INDEX B1 B2 before the files");
    const std::optional<int> index = WholeNumber(args[1], 1, 7);
    if (!index)
        return Fail("bad byte operation index " + Quoted(args[1]) + " (a whole number from 1 to 7)");
    inv.byteOpIndex = *index;
    inv.b1 = args[2];
    inv.b2 = args[3];
    Parser parser(args, inv);
    std::string fault = parser.ReadRest(4);
    return fault.empty() ? Ready(std::move(inv)) : Fail(std::move(fault));
}

Parsed ParseThumbnail(Invocation inv) {
    if (inv.inputs.size() != 3)
        return Fail("thumbnail takes INPUT OUTPUT SIZE");
    const std::optional<int> size = WholeNumber(inv.inputs[2], 1, MaxThumbnailSize);
    if (!size)
        return Fail("bad thumbnail size " + Quoted(inv.inputs[2]) + " (a whole number from 1 to 4096)");
    if (inv.inputs[0] == StandardStream || inv.inputs[1] == StandardStream)
        return Fail("thumbnail reads and writes named files only");
    inv.thumbnailSize = *size;
    inv.output = inv.inputs[1];
    inv.inputs.resize(1);
    return Parsed{std::move(inv), {}};
}

} // namespace

Parsed ParseArguments(const std::vector<std::string>& args) {
    if (args.empty())
        return Fail("no command given");
    if (args[0] == "--help" || args[0] == "-h")
        return HelpFor(std::nullopt);
    if (args[0] == "--version" || args[0] == "version") {
        if (args.size() > 1)
            return Fail("--version takes no arguments");
        Invocation version;
        version.command = Command::Version;
        return Parsed{std::move(version), {}};
    }
    if (args[0] == "help")
        return ParseHelp(args);
    const std::optional<Command> command = CommandNamed(args[0]);
    if (!command || *command == Command::Help || *command == Command::Version)
        return Fail((args[0].starts_with("-") ? "unknown option " : "unknown command ") + Quoted(args[0]));
    Invocation inv;
    inv.command = *command;
    if (*command == Command::ByteOp)
        return ParseByteOp(args, std::move(inv));
    Parser parser(args, inv);
    std::string fault = parser.ReadRest(1);
    if (parser.helpAsked_)
        return HelpFor(*command);
    if (!fault.empty())
        return Fail(std::move(fault));
    if (*command == Command::Thumbnail)
        return ParseThumbnail(std::move(inv));
    return Ready(std::move(inv));
}

namespace {

// The name a table gives a value, and the value it gives a name.
template <typename Value, typename Table>
std::string_view NameIn(const Table& table, Value value) {
    for (const auto& [known, name] : table)
        if (known == value)
            return name;
    return "?";
}

template <typename Value, typename Table>
std::optional<Value> ValueIn(const Table& table, std::string_view name) {
    for (const auto& [value, known] : table)
        if (known == name)
            return value;
    return std::nullopt;
}

} // namespace

std::string_view CommandName(Command command) { return NameIn(CommandNames, command); }
std::optional<Command> CommandNamed(std::string_view name) { return ValueIn<Command>(CommandNames, name); }
std::string_view ConditionName(Condition condition) { return NameIn(ConditionNames, condition); }
std::optional<Condition> ConditionNamed(std::string_view name) { return ValueIn<Condition>(ConditionNames, name); }

bool IsTransform(Command command) {
    return (OptionsOf(command) & TakesInPlace) != 0;
}

} // namespace scrtool
