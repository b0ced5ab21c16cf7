#pragma once
// The texts of --help, "scrtool help CMD" and --version.

#include <string>

#include "scrtool/command_row.h"

namespace scrtool {

// The overview without a topic, else the help of that command.
std::string HelpText(const CommandSpec* topic);
std::string VersionText();

// help and version as commands: the text on standard output.
bool RunHelp(RunContext& run, const Invocation& inv, const std::string& unused);
bool RunVersion(RunContext& run, const Invocation& inv, const std::string& unused);

}  // namespace scrtool
