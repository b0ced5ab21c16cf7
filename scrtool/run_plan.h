#pragma once
// Which files a run reads and writes, settled before anything is read or
// written, so that a run that would write one file for two inputs, or give
// two inputs' outputs one label, is refused whole.

#include <functional>
#include <string>
#include <vector>

#include "scrtool/command_row.h"

namespace scrtool {

struct RunPlan {
    // The inputs to work through, in the order given, each file once: two
    // names for one file (the same name twice, a link, a hard link) would
    // have it done twice.
    std::vector<std::string> inputs;
    // Why the run is refused, or empty.
    std::string refusal;
};

// `writesOf` names the files an input would write and the label it would
// give them. Standard input ("-") is never the same as anything else.
RunPlan PlanRun(const std::vector<std::string>& inputs, const std::function<Writes(const std::string&)>& writesOf);

}  // namespace scrtool
