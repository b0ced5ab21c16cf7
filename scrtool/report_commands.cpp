#include "scrtool/report_commands.h"

#include <algorithm>
#include <iostream>

#include "scrtool/command_line.h"
#include "scrtool/mode_facts.h"
#include "scrtool/mode_input.h"
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

// Other modes decode, so not-blank holds for them as for screens; the other
// conditions are about a classic screen's attributes and are not met.
bool CheckOtherMode(const Invocation& inv, const std::string& input, const PictureFile& file) {
    if (const auto decoded = file.mode->decode(file.bytes, screen::FlashPhase::First); !decoded)
        return Failed(InputName(input), decoded.error());
    bool met = true;
    for (const Condition condition : inv.conditions) {
        const bool blank = std::all_of(file.bytes.begin(), file.bytes.end(), [](std::uint8_t b) { return b == 0; });
        if (condition == Condition::NotBlank ? !blank : false)
            continue;
        met = false;
        Report(InputName(input), std::string(ConditionName(condition)) + " failed: " +
                                     (condition == Condition::NotBlank ? std::string("every byte is zero")
                                                                       : "checked on classic screens only, this is " +
                                                                             std::string(file.mode->name)));
    }
    return met;
}

}  // namespace

bool RunInfo(RunContext& run, const Invocation& inv, const std::string& input) {
    const base::Result<PictureFile> read = ReadPictureFile(input);
    if (!read)
        return Failed(InputName(input), read.error());
    std::string text;
    if (read->mode == &modes::ClassicMode()) {
        const ScreenFacts facts = ExamineScreen(ClassicScreen(*read));
        text = inv.json ? InfoJson(InputName(input), facts) : InfoText(InputName(input), facts);
    } else {
        const base::Result<ModeFacts> facts = ExamineMode(*read);
        if (!facts)
            return Failed(InputName(input), facts.error());
        text = inv.json ? ModeInfoJson(InputName(input), *facts) : ModeInfoText(InputName(input), *facts);
    }
    std::cout << (inv.json ? (run.firstJson ? "[\n" : ",\n") : "") << text;
    run.firstJson = run.firstJson && !inv.json;
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
    const base::Result<PictureFile> read = ReadPictureFile(input);
    if (!read)
        return Failed(InputName(input), read.error());
    if (read->mode != &modes::ClassicMode())
        return CheckOtherMode(inv, input, *read);
    const ScreenFacts facts = ExamineScreen(ClassicScreen(*read));
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
