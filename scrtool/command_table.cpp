#include "scrtool/command_table.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <utility>

#include "scrtool/command_line.h"

namespace scrtool {
namespace {

struct ConditionRow {
    Condition condition;
    std::string_view name;
    std::string_view meaning;
};

// In the order of Condition's values: --require stores the row's place.
constexpr std::array<ConditionRow, 5> ConditionRows{{
    {Condition::NoInvisiblePixels, "no-invisible-pixels", "no cell has ink = paper with pixels set"},
    {Condition::NoFlash, "no-flash", "no cell has FLASH"},
    {Condition::NoBright, "no-bright", "no cell has BRIGHT"},
    {Condition::Optimized, "optimized", "Optimize would change nothing"},
    {Condition::NotBlank, "not-blank", "not every byte is zero"},
}};

constexpr bool ConditionsInOrder() {
    for (std::size_t i = 0; i < ConditionRows.size(); ++i)
        if (static_cast<std::size_t>(ConditionRows[i].condition) != i)
            return false;
    return true;
}
static_assert(ConditionsInOrder());

bool NamesStandardStream(const std::optional<std::string>& name) { return name && *name == StandardStream; }

long FromStandardInput(const Invocation& inv) {
    return std::count(inv.inputs.begin(), inv.inputs.end(), std::string(StandardStream));
}

}  // namespace

std::string CheckTransform(Invocation& inv) {
    if (inv.inputs.empty())
        return "no screen file given";
    if (inv.output && inv.inPlace)
        return "give either -o or --in-place, not both";
    if (!inv.output && !inv.inPlace)
        return "say where the result goes: -o OUT (one file) or --in-place (rewrites the files)";
    if (inv.output && inv.inputs.size() != 1)
        return "-o takes exactly one input file; use --in-place for several";
    if (inv.inPlace && FromStandardInput(inv) > 0)
        return "standard input cannot be rewritten in place; use -o";
    return {};
}

std::string CheckByteOp(Invocation& inv) {
    const int last = static_cast<int>(screen::ByteOperations.size()) - 1;
    const std::optional<int> index = WholeNumber(inv.operands[0], MinByteOpIndex, last);
    if (!index)
        return "bad byte operation index " + Quoted(inv.operands[0]) + " (" + RangeText(MinByteOpIndex, last) + ")";
    inv.byteOpIndex = *index;
    inv.b1 = inv.operands[1];
    inv.b2 = inv.operands[2];
    return CheckTransform(inv);
}

std::string CheckSplit(Invocation& inv) {
    if (inv.inputs.empty())
        return "no screen file given";
    if (FromStandardInput(inv) > 0)
        return "split names its files after the input, so it cannot read standard input";
    return {};
}

std::string CheckJoin(Invocation& inv) {
    if (inv.inputs.size() != 2)
        return "join takes a bitmap file and an attribute file";
    if (!inv.output)
        return "join needs -o OUT";
    return {};
}

std::string CheckPng(Invocation& inv) {
    if (inv.inputs.empty())
        return "no screen file given";
    if (inv.output && inv.outDir)
        return "give either -o or --out-dir, not both";
    if (inv.output && inv.inputs.size() != 1)
        return "-o takes exactly one input file; use --out-dir for several";
    if (FromStandardInput(inv) > 0 && !inv.output)
        return "a screen read from standard input needs -o OUT.png";
    if (NamesStandardStream(inv.outDir))
        return "--out-dir needs a folder, not '-'";
    return {};
}

std::string CheckInfo(Invocation& inv) { return inv.inputs.empty() ? "no screen file given" : ""; }

std::string CheckCheck(Invocation& inv) {
    if (inv.inputs.empty())
        return "no screen file given";
    return inv.conditions.empty() ? "name at least one condition with --require NAME" : "";
}

std::string CheckThumbnail(Invocation& inv) {
    if (inv.inputs.size() != 3)
        return "thumbnail takes INPUT OUTPUT SIZE";
    const std::optional<int> size = WholeNumber(inv.inputs[2], MinThumbnailSize, MaxThumbnailSize);
    if (!size)
        return "bad thumbnail size " + Quoted(inv.inputs[2]) + " (" + RangeText(MinThumbnailSize, MaxThumbnailSize) +
               ")";
    if (inv.inputs[0] == StandardStream || inv.inputs[1] == StandardStream)
        return "thumbnail reads and writes named files only";
    inv.thumbnailSize = *size;
    inv.output = inv.inputs[1];
    inv.inputs.resize(1);
    return {};
}

void ChooseView(Invocation& inv, std::size_t choice) { inv.view = choice == 1 ? View::Mono : View::Colour; }

void ChoosePart(Invocation& inv, std::size_t choice) {
    constexpr exporter::Part parts[] = {exporter::Part::All, exporter::Part::Bitmap, exporter::Part::Attributes};
    inv.part = parts[choice];
}

void ChooseOrder(Invocation& inv, std::size_t choice) {
    inv.order = choice == 0 ? exporter::Order::Screen : exporter::Order::Linear;
}

void ChoosePalette(Invocation& inv, std::size_t choice) { inv.palette = &Palettes()[choice]; }

void RequireCondition(Invocation& inv, std::size_t choice) {
    const Condition condition = ConditionRows[choice].condition;
    if (std::find(inv.conditions.begin(), inv.conditions.end(), condition) == inv.conditions.end())
        inv.conditions.push_back(condition);
}

std::vector<std::string_view> PaletteNames() {
    std::vector<std::string_view> names;
    for (const NamedPalette& palette : Palettes())
        names.push_back(palette.name);
    return names;
}

std::vector<std::string_view> ConditionNames() {
    std::vector<std::string_view> names;
    for (const ConditionRow& row : ConditionRows)
        names.push_back(row.name);
    return names;
}

std::string PaletteDetail() {
    std::string table;
    for (const NamedPalette& palette : Palettes()) {
        char line[160];
        std::snprintf(line, sizeof line, "                       %-10s %3d  %.*s\n", std::string(palette.name).c_str(),
                      palette.levels.normalLevel, static_cast<int>(palette.source.size()), palette.source.data());
        table += line;
    }
    return table;
}

std::string ImportPaletteDetail() {
    // png's table, less its note that scrlab is the default: here auto is.
    std::string table = PaletteDetail();
    constexpr std::string_view note = " (the default)";
    if (const std::size_t at = table.find(note); at != std::string::npos)
        table.erase(at, note.size());
    return "                       auto       the one whose colours the picture is made of, else scrlab\n" + table;
}

std::string DitherDetail() {
    // In the order of DitherChoices.
    static constexpr std::string_view Lines[] = {
        "refined          Floyd-Steinberg, refined against a model of the eye (default)",
        "floyd-steinberg  error diffusion, serpentine",
        "jarvis           error diffusion over a wider kernel (Jarvis, Judice and Ninke)",
        "bayer            an ordered 8 x 8 Bayer pattern",
        "none             no dither: each cell the two colours closest to its pixels",
    };
    static_assert(std::size(Lines) == 5);
    std::string table;
    for (std::string_view line : Lines)
        table += "                       " + std::string(line) + "\n";
    return table;
}

std::string ConditionDetail() {
    std::string table;
    for (const ConditionRow& row : ConditionRows) {
        char line[160];
        std::snprintf(line, sizeof line, "                       %-20s %.*s\n", std::string(row.name).c_str(),
                      static_cast<int>(row.meaning.size()), row.meaning.data());
        table += line;
    }
    return table;
}

std::string RcsDetail() {
    return "                       each third (2048 bytes) column by column, left to right; in\n"
           "                       a column each cell row's eight pixel lines, top to bottom;\n"
           "                       attributes as they are\n";
}

std::string_view ConditionName(Condition condition) { return ConditionRows[static_cast<std::size_t>(condition)].name; }

std::vector<std::string_view> Words(std::string_view list) {
    std::vector<std::string_view> words;
    while (!list.empty()) {
        const std::size_t space = list.find(' ');
        if (space != 0)
            words.push_back(list.substr(0, space));
        if (space == std::string_view::npos)
            break;
        list.remove_prefix(space + 1);
    }
    return words;
}

const CommandSpec* CommandNamed(std::string_view name) {
    for (const CommandSpec& command : Commands)
        if (command.name == name)
            return &command;
    return nullptr;
}

const CommandSpec& CommandOf(Action action) {
    return *std::find_if(Commands.begin(), Commands.end(),
                         [action](const CommandSpec& command) { return command.action == action; });
}

bool IsTransform(const CommandSpec& command) {
    return command.action == Action::Transform || command.action == Action::ByteOp;
}

bool Takes(const CommandSpec& command, const OptionSpec& option) {
    for (std::string_view taker : Words(option.takenBy))
        if (taker == command.name || (taker == "transforms" && IsTransform(command)))
            return true;
    return false;
}

std::vector<std::string_view> ChoicesOf(const OptionSpec& option) {
    return option.choicesFrom ? option.choicesFrom() : Words(option.choices);
}

}  // namespace scrtool
