#include "scrtool/command_table.h"
#include "scrtool/option_table.h"

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

}  // namespace

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

bool IsTransform(const CommandSpec& command) { return command.destination == Destination::OutputOrInPlace; }

bool Takes(const CommandSpec& command, const OptionSpec& option) {
    for (std::string_view taker : Words(option.takenBy))
        if (taker == command.name || (taker == "transforms" && IsTransform(command)))
            return true;
    return false;
}

std::vector<std::string_view> ChoicesOf(const OptionSpec& option) {
    return option.choices ? option.choices() : std::vector<std::string_view>{};
}

}  // namespace scrtool
