// scrtool: the window program's screen operations, from the command line.

#include <csignal>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "scrtool/command_line.h"
#include "scrtool/commands.h"

int main(int argc, char** argv) {
    // A reader that goes away (scrtool png x -o - | head) is a failed write
    // we report, not a silent death half way through the files.
    std::signal(SIGPIPE, SIG_IGN);
    // A file size limit is a failed write we report (File too large), with
    // the old file left whole, not a kill half way through a file.
    std::signal(SIGXFSZ, SIG_IGN);
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const scrtool::Parsed parsed = scrtool::ParseArguments(arguments);
    if (!parsed.invocation) {
        const bool known = !arguments.empty() && scrtool::CommandNamed(arguments[0]);
        const std::string help = known ? "scrtool help " + arguments[0] : "scrtool --help";
        std::fprintf(stderr, "scrtool: %s\nTry '%s'.\n", parsed.error.c_str(), help.c_str());
        return scrtool::UsageError;
    }
    scrtool::KeepMemoryBetweenFiles();
    try {
        return scrtool::Run(*parsed.invocation);
    } catch (const std::exception& error) {
        scrtool::Report("error", error.what());
        return scrtool::SomeFailed;
    }
}
