#include "scrtool/run_plan.h"

#include <filesystem>
#include <map>
#include <sys/stat.h>

#include "scrtool/screen_io.h"

namespace scrtool {
namespace {

// What tells two names for one file apart from names of two files: the
// device and inode of a file that exists, else the folder's real name and
// the leaf (a file that does not exist yet has no other name).
std::string Identity(const std::string& name) {
    struct stat info {};
    if (::stat(name.c_str(), &info) == 0)
        return "file " + std::to_string(info.st_dev) + ":" + std::to_string(info.st_ino);
    std::error_code ignored;
    return "name " + std::filesystem::weakly_canonical(std::filesystem::absolute(name, ignored), ignored).string();
}

}  // namespace

RunPlan PlanRun(const std::vector<std::string>& inputs,
                const std::function<std::vector<std::string>(const std::string&)>& outputsOf) {
    RunPlan plan;
    std::map<std::string, std::string> seenInputs;  // identity -> name
    std::map<std::string, std::string> writtenFor;  // output identity -> the input
    for (const std::string& input : inputs) {
        if (input != "-" && !seenInputs.emplace(Identity(input), input).second)
            continue;
        plan.inputs.push_back(input);
        for (const std::string& output : outputsOf(input)) {
            if (output == "-")
                continue;
            const auto [at, fresh] = writtenFor.emplace(Identity(output), input);
            if (!fresh) {
                plan.refusal = OutputName(output) + ": would be written for both " + InputName(at->second) + " and " +
                               InputName(input) + "; nothing was written";
                return plan;
            }
        }
    }
    return plan;
}

}  // namespace scrtool
