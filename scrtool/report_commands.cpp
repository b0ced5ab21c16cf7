#include "scrtool/report_commands.h"

#include <iostream>

#include "scrtool/command_line.h"
#include "scrtool/run_context.h"
#include "scrtool/screen_facts.h"

namespace scrtool {
namespace {

constexpr std::size_t CellsListed = 40;

std::string Breach(Condition condition, const ScreenFacts& facts) {
    const std::vector<Cell> cells = CellsBreaking(facts, condition);
    const std::string count = std::to_string(cells.size());
    switch (condition) {
    case Condition::NoInvisiblePixels:
        return count + " cells with ink = paper hide set pixels: " + CellList(cells, CellsListed);
    case Condition::NoFlash: return count + " cells with FLASH: " + CellList(cells, CellsListed);
    case Condition::NoBright: return count + " cells with BRIGHT: " + CellList(cells, CellsListed);
    case Condition::Optimized: return count + " cells Optimize would change: " + CellList(cells, CellsListed);
    case Condition::NotBlank: return "every byte is zero";
    }
    return {};
}

}  // namespace

bool RunInfo(RunContext& run, const Invocation& inv, const std::string& input) {
    const base::Result<Screen> read = ReadScreen(input);
    if (!read)
        return Failed(InputName(input), read.error());
    const ScreenFacts facts = ExamineScreen(*read);
    if (inv.json) {
        std::cout << (run.firstJson ? "[\n" : ",\n") << InfoJson(InputName(input), facts);
        run.firstJson = false;
    } else {
        std::cout << InfoText(InputName(input), facts);
    }
    return true;
}

void FinishInfo(RunContext& run, const Invocation& inv) {
    if (inv.json)
        std::cout << (run.firstJson ? "[]\n" : "\n]\n");
}

std::string CheckCheck(Invocation& inv) {
    return inv.conditions.empty() ? "name at least one condition with --require NAME" : "";
}

bool RunCheck(RunContext&, const Invocation& inv, const std::string& input) {
    const base::Result<Screen> read = ReadScreen(input);
    if (!read)
        return Failed(InputName(input), read.error());
    const ScreenFacts facts = ExamineScreen(*read);
    bool met = true;
    for (const Condition condition : inv.conditions) {
        if (Meets(facts, condition))
            continue;
        met = false;
        Report(InputName(input), std::string(ConditionName(condition)) + " failed: " + Breach(condition, facts));
    }
    return met;
}

}  // namespace scrtool
