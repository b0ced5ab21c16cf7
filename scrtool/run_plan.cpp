#include "scrtool/run_plan.h"

#include <map>

#include "files/file_identity.h"
#include "scrtool/names.h"

namespace scrtool {

RunPlan PlanRun(const std::vector<std::string>& inputs, const std::function<Writes(const std::string&)>& writesOf) {
    RunPlan plan;
    std::map<std::string, std::string> seenInputs;   // identity -> name
    std::map<std::string, std::string> writtenFor;   // output identity -> the input
    std::map<std::string, std::string> labelledFor;  // label -> the input
    for (const std::string& input : inputs) {
        if (input != StandardStream && !seenInputs.emplace(files::FileIdentity(input), input).second)
            continue;
        plan.inputs.push_back(input);
        const Writes writes = writesOf(input);
        if (!writes.refusal.empty()) {
            plan.refusal = writes.refusal + "; nothing was written";
            return plan;
        }
        for (const std::string& output : writes.files) {
            if (output == StandardStream)
                continue;
            const auto [at, fresh] = writtenFor.emplace(files::FileIdentity(output), input);
            if (!fresh) {
                plan.refusal = OutputName(output) + ": would be written for both " + InputName(at->second) + " and " +
                               InputName(input) + "; nothing was written";
                return plan;
            }
        }
        if (writes.label.empty())
            continue;
        // Two sources of one label cannot both be part of a build.
        if (const auto [at, fresh] = labelledFor.emplace(writes.label, input); !fresh) {
            plan.refusal = "label " + Quoted(writes.label) + " would be given to both " + InputName(at->second) +
                           " and " + InputName(input) + "; nothing was written";
            return plan;
        }
    }
    return plan;
}

}  // namespace scrtool
