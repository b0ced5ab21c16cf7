#include "app/command_line.h"

#include <filesystem>
#include <system_error>

#include "files/quoted_names.h"

namespace app {

StartRequest ReadCommandLine(const std::vector<std::string>& arguments) {
    constexpr char Usage[] = " (usage: scrlab [FILE])";
    StartRequest request;
    if (arguments.empty())
        return request;
    for (const std::string& argument : arguments) {
        if (argument.starts_with("-")) {
            request.refusal = "scrlab: unknown option " + files::Quoted(argument) + Usage;
            return request;
        }
    }
    if (arguments.size() > 1) {
        request.refusal = "scrlab: one file at a time, not " + std::to_string(arguments.size()) + Usage;
        return request;
    }
    // The current file name is a full path, as a drop names it ("a/../b.scr"
    // made "/home/a/b.scr" by its spelling alone); an empty name stays empty
    // and is refused by the load as a drop of one would be.
    std::error_code failed;
    std::filesystem::path path = arguments.front();
    if (!path.empty() && path.is_relative())
        path = std::filesystem::absolute(path, failed).lexically_normal();
    request.file = failed ? arguments.front() : path.string();
    return request;
}

}  // namespace app
