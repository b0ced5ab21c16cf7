#pragma once
// info and check: how each runs one input (their rows are in
// scrtool/command_table.h).

#include <string>

#include "scrtool/command_row.h"

namespace scrtool {

bool RunInfo(RunContext& run, const Invocation& inv, const std::string& input);
// Closes info's JSON array.
void FinishInfo(RunContext& run, const Invocation& inv);

std::string CheckCheck(Invocation& inv);
bool RunCheck(RunContext& run, const Invocation& inv, const std::string& input);

}  // namespace scrtool
