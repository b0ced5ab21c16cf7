#pragma once
// Reads a scrtool command line without touching any file, so that every way
// of spelling a command can be checked (and fuzzed) on its own. What the
// commands and options are is in scrtool/command_table.h.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "scrtool/command_table.h"
#include "scrtool/invocation.h"

namespace scrtool {

// A parse gives an invocation or the reason the command line is unusable.
struct Parsed {
    std::optional<Invocation> invocation;
    std::string error;
};

// Reads the arguments after the program name.
Parsed ParseArguments(const std::vector<std::string>& arguments);

std::string_view ConditionName(Condition condition);

// A whole decimal number in [low, high], nothing before or after it.
std::optional<int> WholeNumber(std::string_view text, int low, int high);
// "a whole number from 1 to 8", as refusals describe a range.
std::string RangeText(int low, int high);
// 'text', as refusals quote what was typed.
std::string Quoted(std::string_view text);

}  // namespace scrtool
